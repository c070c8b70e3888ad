#pragma once

// Shared by the payment list file tests: a scratch folder, raw file bytes, and records in a
// form that compares and prints well.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "code_page.h"
#include "date_value.h"
#include "mem_data.h"

namespace talvesa::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "talvesa-file-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline double Day(int year, int month, int day) { return *EncodeDate(year, month, day); }

// One stored payment as the file sees it; nothing stands for an empty field.
struct Payment {
    Payment() = default;
    Payment(std::optional<std::string> n, std::optional<double> d = {},
            std::optional<double> p = {})
        : name(std::move(n)), date(d), pay(p) {}

    std::optional<std::string> name;  // UTF-8
    std::optional<double> date;
    std::optional<double> pay;
    bool operator==(const Payment&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Payment& p) {
    out << "{";
    out << (p.name ? "\"" + *p.name + "\"" : std::string("-")) << ", ";
    if (p.date) {
        const CivilDate d = DecodeDate(*p.date);
        out << d.year << "-" << d.month << "-" << d.day;
    } else {
        out << "-";
    }
    out << ", ";
    if (p.pay) {
        out << *p.pay;
    } else {
        out << "-";
    }
    return out << "}";
}

inline std::vector<Payment> StoredPayments(const TdxCustomMemData& table) {
    std::vector<Payment> out;
    for (int i = 0; i < table.RecordTotal(); ++i) {
        const PaymentRecord& r = table.RecordAt(i);
        Payment p;
        if (r.hasName) p.name = AnsiToUtf8(r.name);
        if (r.hasDate) p.date = r.date;
        if (r.hasPay) p.pay = r.pay;
        out.push_back(p);
    }
    return out;
}

inline void AppendPayment(TdxCustomMemData& table, const Payment& p) {
    table.Append();
    if (p.name) table.FieldNamed("Name").SetValueAsText(*p.name);
    if (p.date) table.FieldNamed("Date").SetValueAsDate(*p.date);
    if (p.pay) table.FieldNamed("Pay").SetValueAsReal(*p.pay);
    table.Post();
}

inline void Fill(TdxCustomMemData& table, const std::vector<Payment>& payments) {
    for (const Payment& p : payments) AppendPayment(table, p);
}

}  // namespace talvesa::testing
