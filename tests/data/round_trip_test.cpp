#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "code_page.h"
#include "date_value.h"
#include "file_test_support.h"
#include "format_settings.h"
#include "mem_data.h"

namespace talvesa {
namespace {

using testing::Fill;
using testing::Payment;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::StoredPayments;
using testing::WriteBytes;

enum class Rewrite { None, Utf8, Utf16Le, Utf16Be };

struct RoundTripCase {
    const char* what;
    FormatSettings settings;
    Rewrite rewrite;
};

FormatSettings UsSettings() {
    FormatSettings s;
    s.shortDatePattern = "M/d/yyyy";
    s.dateSeparator = "/";
    s.decimalSeparator = ".";
    s.currencyDecimals = 2;
    return s;
}

FormatSettings IsoSettingsFourDecimals() {
    FormatSettings s;
    s.shortDatePattern = "yyyy-MM-dd";
    s.dateSeparator = "-";
    s.decimalSeparator = ",";
    s.currencyDecimals = 4;
    return s;
}

FormatSettings WholeRoubles() {
    FormatSettings s = FormatSettings::russian();
    s.currencyDecimals = 0;
    return s;
}

// A name of bytes of the code page: Cyrillic mostly, with Latin, digits, spaces, signs and
// the odd control character; now and then longer than the 255 bytes a name keeps.
std::string RandomName(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 99);
    std::uniform_int_distribution<int> cyrillic(0xC0, 0xFF);
    std::uniform_int_distribution<int> printable(0x20, 0xBF);
    std::uniform_int_distribution<int> control(1, 0x1F);
    const int k = kind(rng);
    const int length = k < 5 ? 240 + k * 10 : std::uniform_int_distribution<int>(1, 40)(rng);
    std::string ansi;
    for (int i = 0; i < length; ++i) {
        const int pick = kind(rng);
        int byte = 0;
        if (pick < 60) {
            byte = cyrillic(rng);
        } else if (pick < 75) {
            byte = ' ';
        } else if (pick < 99) {
            byte = printable(rng);
        } else {
            byte = control(rng);
        }
        if (byte == 0x7F) byte = 0xB8;  // ё
        ansi += static_cast<char>(byte);
    }
    return AnsiToUtf8(ansi);
}

double RandomPay(std::mt19937& rng, int decimals) {
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    // At most 15 significant digits, which is what the file keeps.
    std::int64_t limit = 1;
    for (int i = 0; i < 15; ++i) limit *= 10;
    limit -= 1;
    std::uniform_int_distribution<int> kind(0, 9);
    std::int64_t units = 0;
    switch (kind(rng)) {
        case 0: units = 0; break;
        case 1: units = std::uniform_int_distribution<std::int64_t>(-limit, limit)(rng); break;
        case 2: units = std::uniform_int_distribution<std::int64_t>(-100, 100)(rng); break;
        default: units = std::uniform_int_distribution<std::int64_t>(-10000000, 100000000)(rng);
    }
    return static_cast<double>(units) / static_cast<double>(scale);
}

std::vector<Payment> RandomPayments(std::mt19937& rng, int count, int decimals) {
    const double firstDay = *EncodeDate(1, 1, 1);
    const double lastDay = *EncodeDate(9999, 12, 31);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> anyDay(static_cast<int>(firstDay), static_cast<int>(lastDay));
    std::uniform_int_distribution<int> recentDay(static_cast<int>(*EncodeDate(1990, 1, 1)),
                                                 static_cast<int>(*EncodeDate(2030, 12, 31)));
    std::vector<Payment> payments;
    for (int i = 0; i < count; ++i) {
        Payment p;
        if (percent(rng) >= 10) p.name = RandomName(rng);
        if (percent(rng) >= 10) p.date = percent(rng) < 20 ? anyDay(rng) : recentDay(rng);
        if (percent(rng) >= 10) p.pay = RandomPay(rng, decimals);
        payments.push_back(p);
    }
    return payments;
}

// What the file gives back: control characters that would break the line as spaces,
// names cut to 255 bytes, an empty name as an empty field.
std::vector<Payment> AsStored(const TdxCustomMemData& table) {
    std::vector<Payment> out = StoredPayments(table);
    for (Payment& p : out) {
        if (p.name && p.name->empty()) p.name.reset();
    }
    return out;
}

void AppendUtf16(std::string& out, char16_t unit, bool bigEndian) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

// The saved text (all of it in the code page, so in the Basic Multilingual Plane) again in
// UTF-16, mark first.
std::string ToUtf16(const std::string& ansi, bool bigEndian) {
    std::string out;
    AppendUtf16(out, 0xFEFF, bigEndian);
    const std::string utf8 = AnsiToUtf8(ansi);
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char16_t unit = 0;
        if (b < 0x80) {
            unit = b;
            i += 1;
        } else if (b < 0xE0) {
            unit = static_cast<char16_t>(((b & 0x1F) << 6) | (utf8[i + 1] & 0x3F));
            i += 2;
        } else {
            unit = static_cast<char16_t>(((b & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) |
                                         (utf8[i + 2] & 0x3F));
            i += 3;
        }
        AppendUtf16(out, unit, bigEndian);
    }
    return out;
}

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, savedTablesLoadBackTheSameRecords) {
    const RoundTripCase& c = GetParam();
    ScratchFolder folder;
    const std::string path = folder.file("payments.txt");
    for (const unsigned seed : {1u, 2u, 3u, 20240307u, 987654321u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto original = MakePaymentTable();
        Fill(*original, RandomPayments(rng, 300, c.settings.currencyDecimals));
        original->SaveToDelimitedFile(path, c.settings);

        const std::string saved = ReadBytes(path);
        switch (c.rewrite) {
            case Rewrite::None: break;
            case Rewrite::Utf8: WriteBytes(path, "\xEF\xBB\xBF" + AnsiToUtf8(saved)); break;
            case Rewrite::Utf16Le: WriteBytes(path, ToUtf16(saved, false)); break;
            case Rewrite::Utf16Be: WriteBytes(path, ToUtf16(saved, true)); break;
        }

        auto loaded = MakePaymentTable();
        loaded->LoadFromDelimitedFile(path, c.settings, 2024);
        ASSERT_EQ(AsStored(*loaded), AsStored(*original));

        // Saved again, the bytes do not change.
        loaded->SaveToDelimitedFile(path, c.settings);
        ASSERT_EQ(ReadBytes(path), saved);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RoundTripTest,
    ::testing::Values(RoundTripCase{"russian", FormatSettings::russian(), Rewrite::None},
                      RoundTripCase{"us", UsSettings(), Rewrite::None},
                      RoundTripCase{"isoFourDecimals", IsoSettingsFourDecimals(), Rewrite::None},
                      RoundTripCase{"wholeRoubles", WholeRoubles(), Rewrite::None},
                      RoundTripCase{"utf8WithMark", FormatSettings::russian(), Rewrite::Utf8},
                      RoundTripCase{"utf16Le", FormatSettings::russian(), Rewrite::Utf16Le},
                      RoundTripCase{"utf16Be", UsSettings(), Rewrite::Utf16Be}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace talvesa
