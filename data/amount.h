#pragma once

#include <cstdint>
#include <optional>

namespace talvesa {

// Money as a whole number of ten-thousandths; the search works on these only.
using Amount = std::int64_t;

inline constexpr Amount kAmountScale = 10000;

// value * 10000 in extended precision, rounded to nearest with ties to even;
// nothing when the product does not fit a signed 64-bit integer (or is NaN).
std::optional<Amount> ScaleToAmount(double value);

}  // namespace talvesa
