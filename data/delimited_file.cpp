// The payment list file: SaveToDelimitedFile and LoadFromDelimitedFile of the table.

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include "amount_text.h"
#include "code_page.h"
#include "date_text.h"
#include "delimited_text.h"
#include "errors.h"
#include "mem_data.h"

namespace talvesa {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr int kBinary = _O_BINARY;
int SyncFile(int fd) { return _commit(fd); }
int CurrentProcessId() { return _getpid(); }
#else
constexpr int kBinary = 0;
int SyncFile(int fd) { return ::fsync(fd); }
int CurrentProcessId() { return static_cast<int>(::getpid()); }
#endif

std::string FullPath(const std::string& fileName) {
    std::error_code ec;
    const fs::path full = fs::absolute(fs::path(fileName), ec);
    return ec ? fileName : full.lexically_normal().string();
}

std::string TrimmedMessage(std::string text) {
    while (!text.empty()) {
        const char last = text.back();
        if (last != ' ' && last != '\t' && last != '\r' && last != '\n' && last != '.') break;
        text.pop_back();
    }
    return text;
}

[[noreturn]] void FailCreate(const std::string& fileName, const std::string& reason) {
    throw FileError("Cannot create file \"" + FullPath(fileName) + "\". " + reason);
}

[[noreturn]] void FailOpen(const std::string& fileName, int errorNumber) {
    throw FileError("Cannot open file \"" + FullPath(fileName) + "\". " +
                    SystemErrorText(errorNumber));
}

[[noreturn]] void FailWrite() { throw FileError("Stream write error"); }

// Text of the system's single-byte code page; most of a file is ASCII, which needs no table.
void AppendAnsi(std::string& out, std::string_view utf8) {
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            out += Utf8ToAnsi(utf8);
            return;
        }
    }
    out += utf8;
}

// The text of a save in blocks of about a mebibyte: a single string would, while growing,
// hold up to three times the text at once.
class SaveText {
public:
    void Append(std::string_view piece) {
        if (blocks_.empty() || blocks_.back().size() + piece.size() > blocks_.back().capacity()) {
            blocks_.emplace_back();
            blocks_.back().reserve(std::max(kBlockSize, piece.size()));
        }
        blocks_.back() += piece;
    }
    const std::vector<std::string>& Blocks() const { return blocks_; }

private:
    static constexpr std::size_t kBlockSize = 1 << 20;
    std::vector<std::string> blocks_;
};

// The columns a file holds: the stored fields, in field order.
bool IsWrittenField(const TField& field) {
    if (field.Kind() != FieldKind::fkData) return false;
    switch (field.DataType()) {
        case FieldType::String:
        case FieldType::Date:
        case FieldType::Currency: return true;
        case FieldType::Integer: return false;
    }
    return false;
}

void AppendFieldText(std::string& out, const TField& field, const FormatSettings& settings) {
    switch (field.DataType()) {
        // The stored bytes are already those of the code page.
        case FieldType::String: out += field.DataSet().ActiveRecord().name; break;
        case FieldType::Date:
            if (!field.HasNoValue()) AppendAnsi(out, FormatDate(field.ValueAsDate(), settings));
            break;
        case FieldType::Currency:
            if (!field.HasNoValue()) {
                AppendAnsi(out, FormatAmountForFile(field.ValueAsReal(), settings));
            }
            break;
        case FieldType::Integer: break;
    }
}

void AssignToken(TField& field, std::string_view token, const FormatSettings& settings,
                 int currentYear) {
    switch (field.DataType()) {
        case FieldType::String: field.SetValueAsText(token); break;
        case FieldType::Date: {
            const auto date = ParseDate(token, settings, currentYear);
            if (!date) throw ConvertError("''" + std::string(token) + "'' is not a valid date");
            field.SetValueAsDate(*date);
            break;
        }
        case FieldType::Currency: {
            const auto value = ParseAmountText(token, settings);
            if (!value) {
                throw ConvertError("'" + std::string(token) +
                                   "' is not a valid floating point value for field '" +
                                   field.FieldName() + "'");
            }
            field.SetValueAsReal(*value);
            break;
        }
        case FieldType::Integer: break;
    }
}

std::string ReadWholeFile(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | kBinary);
    if (fd < 0) FailOpen(fileName, errno);
    std::string bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char chunk[65536];
    for (;;) {
        const auto got = ::read(fd, chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            FailOpen(fileName, error);
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

// A name beside the target, in the same folder so that the final rename stays on one file
// system, and hidden so that a file manager does not show it while it is being written.
fs::path SiblingName(const fs::path& target, int attempt) {
    fs::path name = target;
    name.replace_filename("." + target.filename().string() + ".tmp-" +
                          std::to_string(CurrentProcessId()) + "-" + std::to_string(attempt));
    return name;
}

bool WriteBlocks(int fd, const std::vector<std::string>& blocks) {
    const FileWriteFunction write = CurrentFileWriteFunction();
    for (const std::string& data : blocks) {
        std::size_t done = 0;
        while (done < data.size()) {
            const long wrote = write(fd, data.data() + done, data.size() - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) return false;
            done += static_cast<std::size_t>(wrote);
        }
    }
    return true;
}

// Straight into the file, for what cannot be replaced by another file: devices and pipes,
// and a writable file in a folder where no new file may be made. A failure part way
// leaves the bytes written so far.
void WriteInPlace(const std::string& fileName, const fs::path& target,
                  const std::vector<std::string>& blocks) {
    const int fd = ::open(target.string().c_str(), O_WRONLY | O_CREAT | O_TRUNC | kBinary, 0666);
    if (fd < 0) FailCreate(fileName, SystemErrorText(errno));
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const bool written = WriteBlocks(fd, blocks) && (!regular || SyncFile(fd) == 0);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) FailWrite();
}

// The file is replaced only once its new text is wholly on disk, so a save that fails
// (disk full, write error) leaves the file it would have replaced as it was.
void ReplaceFile(const std::string& fileName, const std::vector<std::string>& blocks) {
    fs::path target(fileName);
    std::error_code ec;
    // A link is followed, so that the file it points to gets the new text and the link stays.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path real = fs::canonical(target, ec);
        if (!ec) target = real;
    }

    int mode = 0666;
    bool existing = false;
    struct stat info {};
    if (::stat(target.string().c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) FailCreate(fileName, SystemErrorText(EISDIR));
        if (!S_ISREG(info.st_mode)) return WriteInPlace(fileName, target, blocks);
#ifndef _WIN32
        // Replacing by rename needs no write access to the file itself; asking keeps a
        // read-only file protected as writing into it would.
        if (::access(target.string().c_str(), W_OK) != 0) {
            FailCreate(fileName, SystemErrorText(errno));
        }
#endif
        mode = static_cast<int>(info.st_mode & 07777);
        existing = true;
    }

    fs::path temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = SiblingName(target, attempt);
        fd = ::open(temp.string().c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary, mode);
        if (fd >= 0) break;
        const int error = errno;
        if (error == EEXIST && attempt < 100) continue;
        if (existing && (error == EACCES || error == EPERM)) {
            return WriteInPlace(fileName, target, blocks);
        }
        FailCreate(fileName, SystemErrorText(error));
    }

    auto discard = [&] {
        if (fd >= 0) ::close(fd);
        fd = -1;
        std::error_code ignored;
        fs::remove(temp, ignored);
    };

#ifndef _WIN32
    if (existing) {
        // The umask applied to the new file; the replaced file's mode and owner stay.
        (void)::fchmod(fd, static_cast<mode_t>(mode));
        if (info.st_uid != ::geteuid() || info.st_gid != ::getegid()) {
            (void)!::fchown(fd, info.st_uid, info.st_gid);
        }
    }
#else
    (void)existing;
#endif

    if (!WriteBlocks(fd, blocks) || SyncFile(fd) != 0) {
        discard();
        FailWrite();
    }
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) {
        discard();
        FailWrite();
    }

    fs::rename(temp, target, ec);
    if (ec) {
        const std::string reason = TrimmedMessage(ec.message());
        discard();
        FailCreate(fileName, reason);
    }

#ifndef _WIN32
    // The rename itself reaches the disk with the folder's entry.
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    const int dirFd = ::open(folder.string().c_str(), O_RDONLY);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
#endif
}

}  // namespace

void TdxCustomMemData::SaveToDelimitedFile(const std::string& fileName,
                                           const FormatSettings& settings) {
    if (!Active()) return;

    SaveText text;
    SuspendNotifications();
    try {
        const auto bookmark = TakeBookmark();

        std::string delimiter;
        AppendAnsi(delimiter, DelimiterUtf8(delimiter_));
        if (delimiter.empty()) delimiter = "?";

        std::vector<const TField*> columns;
        for (const auto& field : fields_) {
            if (IsWrittenField(*field)) columns.push_back(field.get());
        }
        std::string line;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0) line += delimiter;
            AppendAnsi(line, columns[i]->FieldName());
        }
        line += "\r\n";
        text.Append(line);

        First();
        while (!AtEnd()) {
            line.clear();
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (i > 0) line += delimiter;
                AppendFieldText(line, *columns[i], settings);
            }
            line += "\r\n";
            text.Append(line);
            Next();
        }
        if (bookmark) ReturnToBookmark(bookmark);
    } catch (...) {
        ResumeNotifications();
        throw;
    }
    ResumeNotifications();

    ReplaceFile(fileName, text.Blocks());
}

void TdxCustomMemData::LoadFromDelimitedFile(const std::string& fileName,
                                             const FormatSettings& settings, int currentYear) {
    // The raw bytes go as soon as they are decoded; only the text is held while loading.
    const std::string text = DecodeFileText(ReadWholeFile(fileName));
    // Lines are taken one at a time; a text without any is one without characters.
    LineReader lines(text);
    std::string_view line;
    if (!lines.Next(line)) return;

    const std::string delimiter = DelimiterUtf8(delimiter_);
    std::exception_ptr failure;
    loading_ = true;
    SuspendNotifications();
    try {
        Close();
        Open();

        std::vector<std::string_view> tokens;
        SplitTokens(line, delimiter, tokens);
        std::vector<TField*> columns;
        columns.reserve(tokens.size());
        for (const std::string_view name : tokens) {
            TField* field = SeekField(name);
            columns.push_back(field && IsWrittenField(*field) ? field : nullptr);
        }

        while (lines.Next(line)) {
            Append();
            SplitTokens(line, delimiter, tokens);
            for (std::size_t i = 0; i < tokens.size(); ++i) {
                if (i >= columns.size()) {
                    throw DatasetError("List index out of bounds (" + std::to_string(i) + ")");
                }
                if (columns[i] && !tokens[i].empty()) {
                    AssignToken(*columns[i], tokens[i], settings, currentYear);
                }
            }
            Post();
        }
    } catch (...) {
        failure = std::current_exception();
    }

    loading_ = false;
    try {
        First();
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    ResumeNotifications();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace talvesa
