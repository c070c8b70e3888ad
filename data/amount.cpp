#include "amount.h"

#include <cmath>

namespace talvesa {

std::optional<Amount> ScaleToAmount(double value) {
    // Extended precision keeps the product of a double and 10000 close enough to exact that
    // only true halves round to even.
    const long double scaled = std::nearbyintl(static_cast<long double>(value) * kAmountScale);
    constexpr long double kLimit = 9223372036854775808.0L;  // 2^63
    if (std::isnan(scaled) || scaled < -kLimit || scaled >= kLimit) return std::nullopt;
    return static_cast<Amount>(scaled);
}

}  // namespace talvesa
