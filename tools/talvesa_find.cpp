// talvesa-find: the Find command of the program on the command line. Loads a payment list
// file and prints every set of payments that adds up exactly to the target.

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "amount_text.h"
#include "date_text.h"
#include "errors.h"
#include "find_command.h"
#include "format_settings.h"
#include "mem_data.h"

namespace {

using talvesa::FormatSettings;

constexpr int kUsageExit = 2;
constexpr int kErrorExit = 1;

constexpr const char* kUsage = "usage: talvesa-find [options] FILE TARGET\n";

constexpr const char* kHelp =
    "usage: talvesa-find [options] FILE TARGET\n"
    "\n"
    "Loads the payment list FILE (TAB-delimited, Windows-1251 or with a UTF-8 or UTF-16\n"
    "byte-order mark) and prints every set of two or more payments whose amounts add up\n"
    "exactly to TARGET, in the program's report form.\n"
    "\n"
    "TARGET is an amount; both '.' and ',' mark its decimals. An empty TARGET (\"\") means\n"
    "no target, which finds nothing.\n"
    "\n"
    "The regional forms in which FILE's dates and amounts are read and the report is\n"
    "written (Russian by default):\n"
    "  --date-pattern=PATTERN      short date pattern, e.g. dd.MM.yyyy or M/d/yyyy\n"
    "  --date-separator=CHAR       the character that '/' in the pattern stands for (.)\n"
    "  --decimal-separator=CHAR    decimal separator of amounts (,)\n"
    "  --currency-decimals=N       number of currency decimals, 0 to 18 (2)\n"
    "  -h, --help                  show this text\n"
    "\n"
    "Exit status: 0 when the search ran, 1 when the file could not be read or the search\n"
    "failed (the message goes to standard error), 2 when the command line is wrong.\n";

class UsageError {
public:
    explicit UsageError(std::string message) : message_(std::move(message)) {}
    const std::string& message() const { return message_; }

private:
    std::string message_;
};

// The results area as lines on standard output, written as the search finds them.
class StdoutResults : public talvesa::ResultsArea {
public:
    void Clear() override {}
    void Add(std::string_view line) override {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
};

// What the program's error box shows: a full stop after a message that ends in a
// character with a higher code than the full stop's.
std::string AsErrorBoxText(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

bool IsOneCharacter(std::string_view utf8) {
    if (utf8.empty()) return false;
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return utf8.size() == length;
}

std::string OneCharacter(std::string_view option, std::string_view value) {
    if (!IsOneCharacter(value)) {
        throw UsageError(std::string(option) + " needs exactly one character");
    }
    return std::string(value);
}

int CurrencyDecimals(std::string_view value) {
    int n = -1;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (ec != std::errc{} || end != value.data() + value.size() || n < 0 || n > 18) {
        throw UsageError("--currency-decimals needs a whole number from 0 to 18");
    }
    return n;
}

// The target as the target field reads what is typed into it: the full stop and the comma
// both stand for the decimal separator.
std::optional<double> ReadTarget(std::string_view text, const FormatSettings& settings) {
    if (text.empty()) return std::nullopt;
    std::string normal;
    for (const char c : text) {
        if (c == '.' || c == ',') {
            normal += settings.decimalSeparator;
        } else {
            normal += c;
        }
    }
    const auto value = talvesa::ParseAmountText(normal, settings);
    if (!value) throw UsageError("TARGET '" + std::string(text) + "' is not an amount");
    return value;
}

struct Request {
    FormatSettings settings = FormatSettings::russian();
    std::string file;
    std::string target;
    bool help = false;
};

Request ReadArguments(int argc, char** argv) {
    Request request;
    std::vector<std::string_view> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || !arg.starts_with("-") || arg == "-" ||
            (arg.size() > 1 && arg[1] != '-' && arg != "-h")) {
            // Anything not spelled as an option, a negative target included, is an operand.
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            request.help = true;
            continue;
        }
        std::string_view name = arg;
        std::optional<std::string_view> value;
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const bool known = name == "--date-pattern" || name == "--date-separator" ||
                           name == "--decimal-separator" || name == "--currency-decimals";
        if (!known) throw UsageError("unknown option " + std::string(name));
        if (!value) {
            if (i + 1 >= argc) throw UsageError(std::string(name) + " needs a value");
            value = argv[++i];
        }
        if (name == "--date-pattern") {
            if (value->empty()) throw UsageError("--date-pattern needs a pattern");
            request.settings.shortDatePattern = std::string(*value);
        } else if (name == "--date-separator") {
            request.settings.dateSeparator = OneCharacter(name, *value);
        } else if (name == "--decimal-separator") {
            request.settings.decimalSeparator = OneCharacter(name, *value);
        } else {
            request.settings.currencyDecimals = CurrencyDecimals(*value);
        }
    }
    if (request.help) return request;
    if (positional.size() != 2) throw UsageError("FILE and TARGET are needed");
    request.file = std::string(positional[0]);
    request.target = std::string(positional[1]);
    return request;
}

}  // namespace

int main(int argc, char** argv) {
    Request request;
    std::optional<double> target;
    try {
        request = ReadArguments(argc, argv);
        if (request.help) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        target = ReadTarget(request.target, request.settings);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "talvesa-find: %s\n%s", e.message().c_str(), kUsage);
        return kUsageExit;
    }

    try {
        auto table = talvesa::MakePaymentTable();
        table->LoadFromDelimitedFile(request.file, request.settings, talvesa::LocalCurrentYear());
        StdoutResults results;
        talvesa::FindCommand(*table, target, results, request.settings);
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", AsErrorBoxText(e.what()).c_str());
        return kErrorExit;
    }
    if (std::fflush(stdout) != 0) return kErrorExit;
    return 0;
}
