#include "code_page.h"

#include <array>
#include <cstdint>

namespace talvesa {

namespace {

// Bytes 0x80..0xFF of Windows-1251. 0x98 is unassigned there; it stands for U+0098 so that
// every byte survives a trip to UTF-8 and back.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// Plain letters for U+00C0..U+00FF and U+0100..U+017F; '?' where no single letter fits.
constexpr std::string_view kLatin1Letters =
    "AAAAAAACEEEEIIII"
    "DNOOOOOxOUUUUY?s"
    "aaaaaaaceeeeiiii"
    "dnooooo?ouuuuy?y";
constexpr std::string_view kLatinExtendedA =
    "AaAaAa" "CcCcCcCc" "DdDd" "EeEeEeEeEe" "GgGgGgGg" "HhHh" "IiIiIiIiIi" "??" "Jj" "Kkk"
    "LlLlLlLlLl" "NnNnNnnNn" "OoOoOoOo" "RrRrRr" "SsSsSsSs" "TtTtTt" "UuUuUuUuUuUu" "Ww" "YyY"
    "ZzZzZz" "s";
static_assert(kLatin1Letters.size() == 0x40);
static_assert(kLatinExtendedA.size() == 0x80);

constexpr char kDefaultChar = '?';

// The byte of Windows-1251 for a code point, a similar byte where a simple one exists,
// '?' otherwise.
char ToAnsi(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    if (cp <= 0xFFFF) {
        for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
            if (kHighHalf[i] == cp) return static_cast<char>(0x80 + i);
        }
    }
    if (cp >= 0xC0 && cp <= 0xFF) return kLatin1Letters[cp - 0xC0];
    if (cp >= 0x100 && cp <= 0x17F) return kLatinExtendedA[cp - 0x100];
    switch (cp) {
        case 0xA1: return '!';
        case 0xA2: return 'c';
        case 0xAA: return 'a';
        case 0xB2: return '2';
        case 0xB3: return '3';
        case 0xB4: return '\'';
        case 0xB8: return ',';
        case 0xB9: return '1';
        case 0xBA: return 'o';
        case 0x02C6: return '^';
        case 0x02DC: return '~';
        case 0x2010:
        case 0x2011:
        case 0x2012:
        case 0x2015:
        case 0x2212: return '-';
        case 0x201B:
        case 0x2032: return '\'';
        case 0x201F:
        case 0x2033: return '"';
        case 0x2044: return '/';
        // The no-break spaces keep their meaning in the code page's own no-break space.
        case 0x2007:
        case 0x202F: return static_cast<char>(0xA0);
        default: break;
    }
    if (cp >= 0x2000 && cp <= 0x200A) return ' ';
    return kDefaultChar;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kBadSequence = 0xFFFFFFFF;

// One code point from utf8 at pos, advancing pos. A malformed sequence gives kBadSequence
// and is skipped as one unit: the lead byte with as many continuation bytes as could still
// have belonged to a valid sequence.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(utf8[pos++]);
    if (lead < 0x80) return lead;

    int length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
    } else {
        return kBadSequence;
    }

    for (int i = 1; i < length; ++i) {
        if (pos >= utf8.size()) return kBadSequence;
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < low || byte > high) return kBadSequence;
        low = 0x80;
        high = 0xBF;
        cp = (cp << 6) | (byte & 0x3F);
        ++pos;
    }
    return cp;
}

template <bool BigEndian>
std::string Utf16ToUtf8(std::string_view bytes) {
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        return BigEndian ? static_cast<char32_t>((a << 8) | b)
                         : static_cast<char32_t>((b << 8) | a);
    };

    std::string out;
    out.reserve(units * 2);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const char32_t next = unitAt(i + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : unit);
    }
    return out;
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = NextCodePoint(utf8, pos);
        out += cp == kBadSequence ? kDefaultChar : ToAnsi(cp);
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size() * 2);
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte < 0x80 ? char32_t{byte} : char32_t{kHighHalf[byte - 0x80]});
    }
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) { return Utf16ToUtf8<false>(bytes); }

std::string Utf16BeToUtf8(std::string_view bytes) { return Utf16ToUtf8<true>(bytes); }

}  // namespace talvesa
