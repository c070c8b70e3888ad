#include "delimited_text.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "code_page.h"

namespace talvesa {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// Valid UTF-8 is copied; each malformed sequence becomes one U+FFFD, as a conversion to
// wide characters would make it.
std::string SanitizedUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    std::size_t pos = 0;
    while (pos < in.size()) {
        const auto lead = static_cast<unsigned char>(in[pos]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++pos;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        std::size_t end = pos + 1;
        bool valid = length != 0;
        for (std::size_t i = 1; valid && i < length; ++i, ++end) {
            if (end >= in.size()) {
                valid = false;
                break;
            }
            const auto byte = static_cast<unsigned char>(in[end]);
            if (byte < low || byte > high) {
                valid = false;
                break;
            }
            low = 0x80;
            high = 0xBF;
        }
        if (valid) {
            out.append(in.substr(pos, length));
        } else {
            out += kReplacementUtf8;
        }
        pos = end;
    }
    return out;
}

long SystemWrite(int fd, const void* data, std::size_t size) {
#ifdef _WIN32
    const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
    return _write(fd, data, chunk);
#else
    return static_cast<long>(::write(fd, data, size));
#endif
}

FileWriteFunction writeFunction = &SystemWrite;

}  // namespace

EncodingMark DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return {FileEncoding::Utf16Le, 2};
    if (bytes.starts_with("\xFE\xFF")) return {FileEncoding::Utf16Be, 2};
    if (bytes.starts_with("\xEF\xBB\xBF")) return {FileEncoding::Utf8, 3};
    return {FileEncoding::Ansi, 0};
}

std::string DecodeFileText(std::string_view bytes) {
    const EncodingMark mark = DetectEncoding(bytes);
    bytes.remove_prefix(mark.length);
    std::string text;
    switch (mark.encoding) {
        case FileEncoding::Ansi: {
            // Bytes after a NUL are never looked at, so they need not be decoded either.
            const auto nul = bytes.find('\0');
            text = AnsiToUtf8(bytes.substr(0, nul));
            break;
        }
        case FileEncoding::Utf8: text = SanitizedUtf8(bytes); break;
        case FileEncoding::Utf16Le: text = Utf16LeToUtf8(bytes); break;
        case FileEncoding::Utf16Be: text = Utf16BeToUtf8(bytes); break;
    }
    // In valid UTF-8 a zero byte is the NUL character and nothing else.
    if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

bool LineReader::Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
        return true;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    LineReader reader(text);
    for (std::string_view line; reader.Next(line);) lines.push_back(line);
    return lines;
}

std::vector<std::string_view> SplitTokens(std::string_view line, std::string_view delimiter) {
    std::vector<std::string_view> tokens;
    SplitTokens(line, delimiter, tokens);
    return tokens;
}

void SplitTokens(std::string_view line, std::string_view delimiter,
                 std::vector<std::string_view>& tokens) {
    tokens.clear();
    std::string_view rest = line;
    while (!rest.empty()) {
        const std::size_t at = delimiter.empty() ? std::string_view::npos : rest.find(delimiter);
        if (at == std::string_view::npos) {
            tokens.push_back(rest);
            break;
        }
        tokens.push_back(rest.substr(0, at));
        rest.remove_prefix(at + delimiter.size());
    }
}

std::string DelimiterUtf8(char16_t delimiter) {
    const char32_t cp = delimiter;
    std::string out;
    if (cp >= 0xD800 && cp <= 0xDFFF) return out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::string SystemErrorText(int errorNumber) {
    std::string text = std::strerror(errorNumber);
    while (!text.empty()) {
        const char last = text.back();
        if (last != ' ' && last != '\t' && last != '\r' && last != '\n' && last != '.') break;
        text.pop_back();
    }
    return text;
}

FileWriteFunction SetFileWriteFunction(FileWriteFunction f) {
    const FileWriteFunction previous = writeFunction;
    writeFunction = f ? f : &SystemWrite;
    return previous;
}

FileWriteFunction CurrentFileWriteFunction() { return writeFunction; }

}  // namespace talvesa
