#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace talvesa {

// The pieces of the payment list file that need no table: decoding its bytes, splitting
// the text into lines and lines into tokens. Text is UTF-8 throughout.

enum class FileEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

// The encoding its first bytes announce, and how many bytes that mark takes.
struct EncodingMark {
    FileEncoding encoding = FileEncoding::Ansi;
    std::size_t length = 0;
};
EncodingMark DetectEncoding(std::string_view bytes);

// The file's bytes as UTF-8 text: the mark skipped, malformed UTF-8 and unpaired UTF-16
// surrogates replaced by U+FFFD, a last odd byte of UTF-16 ignored, and everything from the
// first NUL character on dropped.
std::string DecodeFileText(std::string_view bytes);

// Lines end at CR, LF or CR LF; a break at the very end starts no further line.
std::vector<std::string_view> SplitLines(std::string_view text);

// The same lines one at a time, for texts too large to hold a list of their lines.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    // The next line into line; false when there is none.
    bool Next(std::string_view& line);

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Tokens between delimiters; a final empty token is not produced, so "" gives none and
// "a\t" gives one. An empty delimiter never matches: the line is one token.
std::vector<std::string_view> SplitTokens(std::string_view line, std::string_view delimiter);
// The same into tokens, which is emptied first; saves an allocation per line.
void SplitTokens(std::string_view line, std::string_view delimiter,
                 std::vector<std::string_view>& tokens);

// The delimiter character in UTF-8; empty for a lone surrogate, which no decoded text holds.
std::string DelimiterUtf8(char16_t delimiter);

// The operating system's text for an error number, without trailing blanks, line breaks
// and full stops.
std::string SystemErrorText(int errorNumber);

// Every write of the payment list file goes through this function; tests replace it to make
// writing stop short. Returns the bytes written or -1 with errno set, as POSIX write does.
using FileWriteFunction = long (*)(int fd, const void* data, std::size_t size);
// Installs f (nullptr: the system's write) and returns the one installed before.
FileWriteFunction SetFileWriteFunction(FileWriteFunction f);
FileWriteFunction CurrentFileWriteFunction();

}  // namespace talvesa
