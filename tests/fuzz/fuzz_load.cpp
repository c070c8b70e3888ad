// Any bytes as a payment list file: loading must end in a sound table or a reported error,
// and what was loaded must save and load back to the same text.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "code_page.h"
#include "delimited_text.h"
#include "errors.h"
#include "format_settings.h"
#include "mem_data.h"

namespace {

using talvesa::DataSetState;
using talvesa::FormatSettings;
using talvesa::TdxCustomMemData;

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what) {
    if (!ok) Broken(what);
}

// A folder in memory where there is one: every save syncs its file to disk, which on a
// real disk would slow the fuzzer down a hundredfold.
std::filesystem::path ScratchFolder() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

// Two scratch files per process, removed at exit.
const std::string& ScratchPath(int which) {
    static const std::string prefix =
        (ScratchFolder() / ("talvesa-fuzz-load-" + std::to_string(::getpid()))).string();
    static const std::string paths[2] = {prefix + "-a.txt", prefix + "-b.txt"};
    static const bool registered = [] {
        std::atexit([] {
            std::remove(paths[0].c_str());
            std::remove(paths[1].c_str());
        });
        return true;
    }();
    (void)registered;
    return paths[which];
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void CheckTable(const TdxCustomMemData& table) {
    Check(table.State() == DataSetState::Browse, "browse state after loading");
    Check(!table.Loading(), "loading flag cleared");
    const int total = table.RecordTotal();
    Check(total >= 0, "record total");
    Check(table.RecordPosition() == (total > 0 ? 1 : 0), "first record current");
    Check(table.AtStart(), "at start");
    for (int i = 0; i < total; ++i) {
        const talvesa::PaymentRecord& r = table.RecordAt(i);
        Check(r.recId == i + 1, "records numbered in file order");
        Check(r.name.size() <= 255, "name within 255 bytes");
        Check(r.name.find_first_of(std::string("\0\t\r\n", 4)) == std::string::npos,
              "name without NUL, TAB or line break");
        if (r.hasDate) Check(r.date >= -693593 && r.date <= 2958465, "date in years 1 to 9999");
    }
}

void LoadUnder(const FormatSettings& settings, char16_t delimiter, const std::string& file) {
    auto table = talvesa::MakePaymentTable();
    table->SetDelimiter(delimiter);
    table->Append();
    table->FieldNamed("Name").SetValueAsText("before");
    table->Post();
    try {
        table->LoadFromDelimitedFile(file, settings, 2024);
    } catch (const talvesa::Error&) {
    }
    if (talvesa::SplitLines(talvesa::DecodeFileText(ReadAll(file))).empty()) {
        // No line: the table is left exactly as it was.
        Check(table->RecordTotal() == 1 && table->RecordAt(0).name == "before" &&
                  table->RecordAt(0).recId == 1 && table->RecordPosition() == 1,
              "table untouched by a file without lines");
    } else {
        CheckTable(*table);
    }

    // Whatever was loaded is written in the program's own form, which must read back as is;
    // except a name holding a delimiter other than TAB (the table keeps no TAB in a name),
    // which, as nothing is quoted, splits its line.
    const std::string delimiterByte = talvesa::Utf8ToAnsi(talvesa::DelimiterUtf8(delimiter));
    for (int i = 0; i < table->RecordTotal(); ++i) {
        if (table->RecordAt(i).name.find(delimiterByte) != std::string::npos) return;
    }
    table->SaveToDelimitedFile(ScratchPath(1), settings);
    const std::string first = ReadAll(ScratchPath(1));
    auto again = talvesa::MakePaymentTable();
    again->SetDelimiter(delimiter);
    try {
        again->LoadFromDelimitedFile(ScratchPath(1), settings, 2024);
    } catch (const talvesa::Error& e) {
        std::fprintf(stderr, "saved text does not load: %s\n", e.what());
        std::abort();
    }
    CheckTable(*again);
    Check(again->RecordTotal() == table->RecordTotal(), "same number of records");
    again->SaveToDelimitedFile(ScratchPath(1), settings);
    Check(ReadAll(ScratchPath(1)) == first, "saved text stable after a round trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(ScratchPath(0), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    LoadUnder(FormatSettings::russian(), u'\t', ScratchPath(0));

    FormatSettings us;
    us.shortDatePattern = "M/d/yy";
    us.dateSeparator = "/";
    us.decimalSeparator = ".";
    us.currencyDecimals = 3;
    // A delimiter outside ASCII, which the file holds as one byte and the text as two.
    LoadUnder(us, u'\u00a7', ScratchPath(0));
    return 0;
}
