#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "data_source.h"
#include "delimited_text.h"
#include "errors.h"
#include "file_test_support.h"
#include "listener_test_support.h"
#include "format_settings.h"
#include "mem_data.h"

namespace talvesa {
namespace {

using testing::AppendPayment;
using testing::Day;
using testing::Fill;
using testing::Log;
using testing::Payment;
using testing::ReadBytes;
using testing::Recorder;
using testing::ScratchFolder;
using testing::StoredPayments;
using testing::WriteBytes;

constexpr int kYear = 2024;

// The bytes of a literal, zero bytes included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}
const std::string kHeader = "Name\tDate\tPay\r\n";

class DelimitedFileTest : public ::testing::Test {
protected:
    std::unique_ptr<TdxMemData> table = MakePaymentTable();
    FormatSettings settings = FormatSettings::russian();
    ScratchFolder folder;
    std::string path = folder.file("payments.txt");

    void Load(const std::string& bytes) {
        WriteBytes(path, bytes);
        table->LoadFromDelimitedFile(path, settings, kYear);
    }

    // The message of the error that loading these bytes raises; empty when none.
    std::string LoadFailure(const std::string& bytes) {
        try {
            Load(bytes);
        } catch (const Error& e) {
            return e.what();
        }
        return {};
    }
};

// ---- saving ----

struct SavedLayoutCase {
    const char* what;
    std::vector<Payment> payments;
    std::string bytes;
};

class SavedLayoutTest : public DelimitedFileTest,
                        public ::testing::WithParamInterface<SavedLayoutCase> {};

TEST_P(SavedLayoutTest, writesExactBytes) {
    Fill(*table, GetParam().payments);
    table->SaveToDelimitedFile(path, settings);
    EXPECT_EQ(ReadBytes(path), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SavedLayoutTest,
    ::testing::Values(
        SavedLayoutCase{"emptyTable", {}, "Name\x09" "Date\x09" "Pay\x0D\x0A"},
        SavedLayoutCase{"fullRecordInWindows1251",
                        {{"Иван", Day(2010, 3, 7), 1234.5}},
                        kHeader + "\xC8\xE2\xE0\xED\t07.03.2010\t1234,50\r\n"},
        SavedLayoutCase{"emptyDateAndPay", {{"Аренда", {}, {}}},
                        kHeader + "\xC0\xF0\xE5\xED\xE4\xE0\t\t\r\n"},
        SavedLayoutCase{"allFieldsEmpty", {{{}, {}, {}}}, kHeader + "\t\t\r\n"},
        SavedLayoutCase{"spacesKeptNegativeAndRounded",
                        {{" a b ", Day(1999, 12, 31), -12.0}, {"z", Day(2000, 1, 1), 0.005},
                         {"y", {}, -0.004}},
                        kHeader + " a b \t31.12.1999\t-12,00\r\nz\t01.01.2000\t0,01\r\n"
                                  "y\t\t0,00\r\n"},
        SavedLayoutCase{"charactersOutsideTheCodePage",
                        {{"caf\u00e9 \u201cx\u201d \u4e2d", {}, {}}},
                        kHeader + "cafe \x93x\x94 ?\t\t\r\n"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(DelimitedFileTest, savingAClosedTableCreatesNothing) {
    table->Close();
    table->SaveToDelimitedFile(path, settings);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(DelimitedFileTest, savingUsesTheTablesDelimiterInTheCodePage) {
    Fill(*table, {{"a", {}, 1.0}});
    table->SetDelimiter(u'\u00a7');  // § is A7 in Windows-1251
    table->SaveToDelimitedFile(path, settings);
    EXPECT_EQ(ReadBytes(path), "Name\xA7" "Date\xA7" "Pay\r\na\xA7\xA7" "1,00\r\n");
    table->LoadFromDelimitedFile(path, settings, kYear);
    EXPECT_EQ(StoredPayments(*table), (std::vector<Payment>{{"a", {}, 1.0}}));
}

TEST_F(DelimitedFileTest, saveSendsOneTableChangedAndKeepsTheCurrentRecord) {
    Fill(*table, {{"a", {}, {}}, {"b", {}, {}}, {"c", {}, {}}});
    table->SetRecordPosition(2);
    Log log;
    Recorder recorder{log};
    table->AttachLink(recorder);
    table->SaveToDelimitedFile(path, settings);
    EXPECT_EQ(log, Log{"TableChanged"});
    EXPECT_EQ(table->RecordPosition(), 2);
    table->DetachLink(recorder);
}

TEST_F(DelimitedFileTest, saveSettlesAPendingInsertAndLeavesTheLastRecordCurrent) {
    Fill(*table, {{"a", {}, {}}, {"b", {}, {}}});
    table->First();
    table->Insert();
    table->FieldNamed("Name").SetValueAsText("new");
    table->SaveToDelimitedFile(path, settings);
    EXPECT_EQ(ReadBytes(path), kHeader + "new\t\t\r\na\t\t\r\nb\t\t\r\n");
    EXPECT_EQ(table->State(), DataSetState::Browse);
    EXPECT_EQ(table->RecordPosition(), 3);
}

TEST_F(DelimitedFileTest, saveStoresAChangedEditAndReturnsToIt) {
    Fill(*table, {{"a", {}, {}}, {"b", {}, {}}, {"c", {}, {}}});
    table->SetRecordPosition(2);
    table->Edit();
    table->FieldNamed("Pay").SetValueAsReal(5);
    table->SaveToDelimitedFile(path, settings);
    EXPECT_EQ(ReadBytes(path), kHeader + "a\t\t\r\nb\t\t5,00\r\nc\t\t\r\n");
    EXPECT_EQ(table->State(), DataSetState::Browse);
    EXPECT_EQ(table->RecordPosition(), 2);
}

TEST_F(DelimitedFileTest, saveToAMissingFolderReportsTheFullPathAndCreatesNothing) {
    const std::string target = folder.file("missing/payments.txt");
    try {
        table->SaveToDelimitedFile(target, settings);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(),
                     ("Cannot create file \"" + target + "\". No such file or directory").c_str());
    }
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(DelimitedFileTest, saveOntoAFolderFailsWithTheCreateMessage) {
    std::filesystem::create_directory(folder.file("dir"));
    try {
        table->SaveToDelimitedFile(folder.file("dir"), settings);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(),
                     ("Cannot create file \"" + folder.file("dir") + "\". Is a directory").c_str());
    }
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"dir"});
}

TEST_F(DelimitedFileTest, relativeNamesAreReportedAsFullPaths) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    std::string message;
    try {
        table->LoadFromDelimitedFile("./sub/../absent.txt", settings, kYear);
    } catch (const FileError& e) {
        message = e.what();
    }
    std::filesystem::current_path(cwd);
    EXPECT_EQ(message, "Cannot open file \"" + folder.file("absent.txt") +
                           "\". No such file or directory");
}

TEST_F(DelimitedFileTest, saveKeepsTheModeOfTheFileItReplaces) {
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0640);
    table->SaveToDelimitedFile(path, settings);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(path), kHeader);
}

TEST_F(DelimitedFileTest, aNewFileGetsTheUsualModeForTheUmask) {
    const mode_t mask = ::umask(022);
    table->SaveToDelimitedFile(path, settings);
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(DelimitedFileTest, saveThroughALinkWritesTheLinkedFileAndKeepsTheLink) {
    const std::string real = folder.file("real.txt");
    WriteBytes(real, "old");
    std::filesystem::create_symlink(real, path);
    table->SaveToDelimitedFile(path, settings);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(ReadBytes(real), kHeader);
}

TEST_F(DelimitedFileTest, aReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0444);
    try {
        table->SaveToDelimitedFile(path, settings);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), ("Cannot create file \"" + path + "\". Permission denied").c_str());
    }
    EXPECT_EQ(ReadBytes(path), "old");
}

TEST_F(DelimitedFileTest, aPipeIsWrittenIntoAndStaysAPipe) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadBytes(path); });
    Fill(*table, {{"a", {}, 1.0}});
    table->SaveToDelimitedFile(path, settings);
    reader.join();
    EXPECT_EQ(received, kHeader + "a\t\t1,00\r\n");
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"payments.txt"});
}

TEST_F(DelimitedFileTest, aWritableFileInAFolderClosedToNewFilesIsStillSaved) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may make files in any folder";
    WriteBytes(path, "old");
    ::chmod(folder.path().c_str(), 0555);
    std::string message;
    try {
        table->SaveToDelimitedFile(path, settings);
    } catch (const FileError& e) {
        message = e.what();
    }
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(message, "");
    EXPECT_EQ(ReadBytes(path), kHeader);
}

// Writes stopping short must leave the replaced file as it was and no stray file beside it.
long WriteHalfThenFail(int fd, const void* data, std::size_t size) {
    const std::size_t half = size / 2;
    if (half > 0) return static_cast<long>(::write(fd, data, half));
    errno = ENOSPC;
    return -1;
}
long WriteNothing(int, const void*, std::size_t) { return 0; }
long WriteFails(int, const void*, std::size_t) {
    errno = EIO;
    return -1;
}

struct WriteFailureCase {
    const char* what;
    FileWriteFunction write;
};

class WriteFailureTest : public DelimitedFileTest,
                         public ::testing::WithParamInterface<WriteFailureCase> {};

TEST_P(WriteFailureTest, reportsStreamWriteErrorAndKeepsTheOldFile) {
    WriteBytes(path, "old text");
    Fill(*table, {{"a", Day(2020, 1, 1), 1.0}, {"b", {}, 2.0}});
    const FileWriteFunction previous = SetFileWriteFunction(GetParam().write);
    std::string message;
    try {
        table->SaveToDelimitedFile(path, settings);
    } catch (const FileError& e) {
        message = e.what();
    }
    SetFileWriteFunction(previous);
    EXPECT_EQ(message, "Stream write error");
    EXPECT_EQ(ReadBytes(path), "old text");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"payments.txt"});
    EXPECT_EQ(table->RecordTotal(), 2);
}

INSTANTIATE_TEST_SUITE_P(Writes, WriteFailureTest,
                         ::testing::Values(WriteFailureCase{"halfThenDiskFull", &WriteHalfThenFail},
                                           WriteFailureCase{"nothingWritten", &WriteNothing},
                                           WriteFailureCase{"ioError", &WriteFails}),
                         [](const auto& info) { return std::string(info.param.what); });

// A real full disk: a tiny file system mounted for the test, where the machine allows it.
TEST_F(DelimitedFileTest, aFullDiskKeepsTheOldFile) {
    const std::string mountPoint = folder.file("tiny");
    std::filesystem::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    const std::string target = mountPoint + "/payments.txt";
    WriteBytes(target, "old text");
    for (int i = 0; i < 2000; ++i) AppendPayment(*table, {"Оплата по счёту", Day(2021, 5, 1), i});
    std::string message;
    try {
        table->SaveToDelimitedFile(target, settings);
    } catch (const FileError& e) {
        message = e.what();
    }
    const std::string after = ReadBytes(target);
    const auto left = std::distance(std::filesystem::directory_iterator(mountPoint),
                                    std::filesystem::directory_iterator());
    ::umount(mountPoint.c_str());
    EXPECT_EQ(message, "Stream write error");
    EXPECT_EQ(after, "old text");
    EXPECT_EQ(left, 1);
}

// ---- loading ----

struct LoadCase {
    const char* what;
    std::string bytes;
    std::vector<Payment> payments;
};

class LoadTest : public DelimitedFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadTest, readsTheRecords) {
    Fill(*table, {{"before", {}, 1.0}});
    Load(GetParam().bytes);
    EXPECT_EQ(StoredPayments(*table), GetParam().payments);
    EXPECT_EQ(table->State(), DataSetState::Browse);
    EXPECT_FALSE(table->Loading());
    if (table->RecordTotal() > 0) {
        EXPECT_EQ(table->RecordPosition(), 1);
        EXPECT_EQ(table->RecordAt(0).recId, 1);
    }
}

const double k7Mar2010 = Day(2010, 3, 7);

INSTANTIATE_TEST_SUITE_P(
    Files, LoadTest,
    ::testing::Values(
        LoadCase{"plain", kHeader + "\xC8\xE2\xE0\xED\t07.03.2010\t1234,50\r\n",
                 {{"Иван", k7Mar2010, 1234.5}}},
        LoadCase{"headerInAnyOrderAndCase", "name\tPAY\tdate\r\nA\t5\t07.03.2010\r\n",
                 {{"A", k7Mar2010, 5.0}}},
        LoadCase{"recIdAndUnknownColumnsIgnored",
                 "RecId\tName\tNote\tPay\r\n7\tA\tx\t5\r\n9\tB\t\t\r\n",
                 {{"A", {}, 5.0}, {"B", {}, {}}}},
        LoadCase{"headerWithoutPay", "Name\tDate\r\nA\t07.03.2010\r\n", {{"A", k7Mar2010, {}}}},
        LoadCase{"repeatedColumnLastWins", "Name\tName\r\nA\tB\r\nC\r\n", {{"B"}, {"C"}}},
        LoadCase{"headerOnlyEmptiesTheTable", kHeader, {}},
        LoadCase{"emptyLinesAreEmptyRecords", kHeader + "A\t\t\r\n\r\nB\r\n\r\n",
                 {{"A"}, {}, {"B"}, {}}},
        LoadCase{"lineBreaksCrLfAndMixed", "Name\nA\rB\r\n\nC\r\rD",
                 {{"A"}, {"B"}, {}, {"C"}, {}, {"D"}}},
        LoadCase{"fewerTokensThanColumns", kHeader + "A\r\nB\t07.03.2010\r\n",
                 {{"A"}, {"B", k7Mar2010, {}}}},
        LoadCase{"oneTrailingDelimiterAccepted", kHeader + "A\t07.03.2010\t5\t\r\n",
                 {{"A", k7Mar2010, 5.0}}},
        LoadCase{"spacesAroundValues", kHeader + " A \t 7.3.2010 \t +1234,5 \r\n",
                 {{" A ", k7Mar2010, 1234.5}}},
        LoadCase{"shortDateAndExponent", kHeader + "A\t07.03\t1,2345E3\r\n",
                 {{"A", Day(kYear, 3, 7), 1234.5}}},
        LoadCase{"nulEndsTheText", Bytes("Name\r\nA\r\nB\0C\r\nD\r\n"), {{"A"}, {"B"}}},
        LoadCase{"utf8WithMark", "\xEF\xBB\xBFName\r\n\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\r\n",
                 {{"Иван"}}},
        LoadCase{"utf8MalformedBytesReadAsUnknown", "\xEF\xBB\xBFName\r\nA\xFF\xC3\r\n",
                 {{"A??"}}},
        LoadCase{"utf16LittleEndianOddByteIgnored",
                 Bytes("\xFF\xFEN\0a\0m\0e\0\r\0\n\0\x18\x04\x32\x04\r\0\n\0x"),
                 {{"Ив"}}},
        LoadCase{"utf16BigEndian", Bytes("\xFE\xFF\0N\0a\0m\0e\0\n\x04\x18\x04\x32"),
                 {{"Ив"}}},
        LoadCase{"utf16Nul", Bytes("\xFF\xFEN\0a\0m\0e\0\n\0A\0\0\0B\0"), {{"A"}}},
        LoadCase{"ansiMarkLookalikeIsText", "\xEF\xBBName\r\nA\r\n", {Payment{}}},
        LoadCase{"nameTooLongIsCut", "Name\r\n" + std::string(300, 'x') + "\r\n",
                 {{std::string(255, 'x')}}}),
    [](const auto& info) { return std::string(info.param.what); });

// Files with no line at all leave the table alone and say nothing to bound controls.
struct NoLineCase {
    const char* what;
    std::string bytes;
};

class NoLineTest : public DelimitedFileTest, public ::testing::WithParamInterface<NoLineCase> {};

TEST_P(NoLineTest, leavesTheTableUnchanged) {
    Fill(*table, {{"a", {}, 1.0}, {"b", {}, 2.0}});
    table->SetRecordPosition(2);
    Log log;
    Recorder recorder{log};
    table->AttachLink(recorder);
    Load(GetParam().bytes);
    table->DetachLink(recorder);
    EXPECT_EQ(StoredPayments(*table), (std::vector<Payment>{{"a", {}, 1.0}, {"b", {}, 2.0}}));
    EXPECT_EQ(table->RecordPosition(), 2);
    EXPECT_TRUE(log.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, NoLineTest,
    ::testing::Values(NoLineCase{"empty", std::string()},
                      NoLineCase{"utf16LeMarkOnly", std::string("\xFF\xFE")},
                      NoLineCase{"utf16BeMarkOnly", std::string("\xFE\xFF")},
                      NoLineCase{"utf8MarkOnly", std::string("\xEF\xBB\xBF")},
                      NoLineCase{"nulFirst", Bytes("\0Name\r\nA\r\n")},
                      NoLineCase{"utf16NulFirst", Bytes("\xFF\xFE\0\0N\0")},
                      NoLineCase{"utf16OddByteOnly", std::string("\xFF\xFE" "N")}),
    [](const auto& info) { return std::string(info.param.what); });

struct LoadFailureCase {
    const char* what;
    std::string bytes;
    std::string message;
    std::vector<Payment> payments;  // what the table holds afterwards
};

class LoadFailureTest : public DelimitedFileTest,
                        public ::testing::WithParamInterface<LoadFailureCase> {};

TEST_P(LoadFailureTest, reportsAndKeepsWhatWasRead) {
    Fill(*table, {{"before", {}, 1.0}});
    EXPECT_EQ(LoadFailure(GetParam().bytes), GetParam().message);
    EXPECT_EQ(StoredPayments(*table), GetParam().payments);
    EXPECT_EQ(table->State(), DataSetState::Browse);
    EXPECT_FALSE(table->Loading());
    EXPECT_EQ(table->RecordPosition(), table->RecordTotal() > 0 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadFailureTest,
    ::testing::Values(
        LoadFailureCase{"tooManyTokens", kHeader + "A\t07.03.2010\t5\r\nB\t07.03.2010\t6\t\t\r\nC\r\n",
                        "List index out of bounds (3)",
                        {{"A", k7Mar2010, 5.0}, {"B", k7Mar2010, 6.0}}},
        LoadFailureCase{"nameWithATabSplitsItsLine", kHeader + "A\tB\t07.03.2010\t5\r\n",
                        "''B'' is not a valid date", {{"A"}}},
        LoadFailureCase{"emptyFirstLine", "\r\nA\r\nB\r\n", "List index out of bounds (0)", {}},
        LoadFailureCase{"badDate", kHeader + "A\t07.03.2010\t1\r\nB\t31.02.2010\t2\r\nC\r\n",
                        "''31.02.2010'' is not a valid date",
                        {{"A", k7Mar2010, 1.0}, {"B"}}},
        LoadFailureCase{"dateWithTime", kHeader + "A\t07.03.2010 10:00\t1\r\n",
                        "''07.03.2010 10:00'' is not a valid date", {{"A"}}},
        LoadFailureCase{"badAmount", kHeader + "A\t07.03.2010\t1 234,50\r\n",
                        "'1 234,50' is not a valid floating point value for field 'Pay'",
                        {{"A", k7Mar2010, {}}}},
        LoadFailureCase{"amountWithAFullStop", "pay\r\n1234.50\r\n",
                        "'1234.50' is not a valid floating point value for field 'Pay'", {}},
        LoadFailureCase{"failingFirstColumnDiscardsTheRecord",
                        "Date\tName\r\n07.03.2010\tA\r\nx\tB\r\n", "''x'' is not a valid date",
                        {{"A", k7Mar2010, {}}}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(DelimitedFileTest, failuresAreConversionAndDatasetErrors) {
    EXPECT_THROW(Load(kHeader + "A\tx\r\n"), ConvertError);
    EXPECT_THROW(Load(kHeader + "A\t\t\t\tx\r\n"), DatasetError);
}

TEST_F(DelimitedFileTest, aMissingFileReportsTheSystemsTextAndLeavesTheTable) {
    Fill(*table, {{"a", {}, 1.0}});
    const std::string missing = folder.file("absent.txt");
    try {
        table->LoadFromDelimitedFile(missing, settings, kYear);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(),
                     ("Cannot open file \"" + missing + "\". No such file or directory").c_str());
    }
    EXPECT_EQ(StoredPayments(*table), (std::vector<Payment>{{"a", {}, 1.0}}));
}

TEST_F(DelimitedFileTest, loadingAFolderReportsTheOpenMessage) {
    try {
        table->LoadFromDelimitedFile(folder.path().string(), settings, kYear);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), ("Cannot open file \"" + folder.path().string() +
                                "\". Is a directory").c_str());
    }
}

TEST_F(DelimitedFileTest, loadSendsOnlyTheStateChangesAndOneRebuild) {
    Fill(*table, {{"a", {}, 1.0}});
    Log log;
    Recorder recorder{log};
    table->AttachLink(recorder);
    Load(kHeader + "x\t\t1\r\ny\t\t2\r\n");
    table->DetachLink(recorder);
    // Close, Open, and for each record the Append and the Post.
    Log expected{"SuspendedStateChange:closed"};
    expected.insert(expected.end(), 5, "SuspendedStateChange:open");
    expected.push_back("RebuildNeeded");
    EXPECT_EQ(log, expected);
}

TEST_F(DelimitedFileTest, aFailedLoadStillEndsWithOneRebuild) {
    Log log;
    Recorder recorder{log};
    table->AttachLink(recorder);
    EXPECT_NE(LoadFailure(kHeader + "x\tbad\r\n"), "");
    table->DetachLink(recorder);
    // Close, Open, Append, and the Post of the closing First.
    Log expected{"SuspendedStateChange:closed"};
    expected.insert(expected.end(), 3, "SuspendedStateChange:open");
    expected.push_back("RebuildNeeded");
    EXPECT_EQ(log, expected);
}

TEST_F(DelimitedFileTest, loadDropsAPendingEditAndRenumbers) {
    Fill(*table, {{"a"}, {"b"}, {"c"}});
    table->Append();
    table->FieldNamed("Name").SetValueAsText("pending");
    Load("Name\r\nx\r\ny\r\n");
    EXPECT_EQ(StoredPayments(*table), (std::vector<Payment>{{"x"}, {"y"}}));
    EXPECT_EQ(table->RecordAt(1).recId, 2);
}

TEST_F(DelimitedFileTest, aNameWithATabOrLineBreakNoLongerSplitsItsRecord) {
    Fill(*table, {{"a\tb", {}, 1.0}, {"c\r\nd", {}, 2.0}});
    table->SaveToDelimitedFile(path, settings);
    EXPECT_EQ(ReadBytes(path), kHeader + "a b\t\t1,00\r\nc  d\t\t2,00\r\n");
    table->LoadFromDelimitedFile(path, settings, kYear);
    EXPECT_EQ(StoredPayments(*table),
              (std::vector<Payment>{{"a b", {}, 1.0}, {"c  d", {}, 2.0}}));
}

TEST_F(DelimitedFileTest, theFileIsReadUnderTheSettingsGiven) {
    settings.shortDatePattern = "M/d/yyyy";
    settings.dateSeparator = "/";
    settings.decimalSeparator = ".";
    Load(kHeader + "A\t3/7/2010\t1234.5\r\nB\t3/7/74\t-0.5\r\n");
    EXPECT_EQ(StoredPayments(*table),
              (std::vector<Payment>{{"A", k7Mar2010, 1234.5}, {"B", Day(1974, 3, 7), -0.5}}));
}

// ---- the pure pieces ----

TEST(DelimitedTextTest, tokensFollowTheDelimiters) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(SplitTokens("", "\t"), V{});
    EXPECT_EQ(SplitTokens("\t", "\t"), V{""});
    EXPECT_EQ(SplitTokens("\t\t", "\t"), (V{"", ""}));
    EXPECT_EQ(SplitTokens("a\tb\t", "\t"), (V{"a", "b"}));
    EXPECT_EQ(SplitTokens("a\t\tb", "\t"), (V{"a", "", "b"}));
    EXPECT_EQ(SplitTokens("a\tb", ""), V{"a\tb"});
    EXPECT_EQ(SplitTokens("a\xC2\xA7" "b", "\xC2\xA7"), (V{"a", "b"}));
}

TEST(DelimitedTextTest, lonelySurrogateDelimiterMatchesNothing) {
    EXPECT_EQ(DelimiterUtf8(u'\t'), "\t");
    EXPECT_EQ(DelimiterUtf8(u'\u00a7'), "\xC2\xA7");
    EXPECT_EQ(DelimiterUtf8(u'\u20ac'), "\xE2\x82\xAC");
    EXPECT_EQ(DelimiterUtf8(static_cast<char16_t>(0xD800)), "");
}

TEST(DelimitedTextTest, systemTextLosesTrailingFullStopsAndBlanks) {
    EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(SystemErrorText(EACCES), "Permission denied");
}

}  // namespace
}  // namespace talvesa
