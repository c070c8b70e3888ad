#include "date_text.h"

#include <array>
#include <ctime>

#include "date_value.h"

namespace talvesa {

namespace {

bool IsLetter(char c, char lower) { return c == lower || c == lower - 'a' + 'A'; }

std::size_t RunLength(std::string_view text, std::size_t pos, char lower) {
    std::size_t end = pos;
    while (end < text.size() && IsLetter(text[end], lower)) ++end;
    return end - pos;
}

void AppendNumber(std::string& out, int value, int minDigits) {
    std::array<char, 12> digits{};
    int count = 0;
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) out += '-';
    for (int i = count; i < minDigits; ++i) out += '0';
    while (count > 0) out += digits[--count];
}

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

DateOrder OrderOf(std::string_view pattern) {
    for (const char c : pattern) {
        if (IsLetter(c, 'd')) return DateOrder::DayMonthYear;
        if (IsLetter(c, 'm')) return DateOrder::MonthDayYear;
        if (IsLetter(c, 'y') || IsLetter(c, 'e')) return DateOrder::YearMonthDay;
    }
    return DateOrder::MonthDayYear;
}

// Reads a date token left to right; every step fails softly at the end of the text.
class DateScanner {
public:
    DateScanner(std::string_view text, std::string_view separator)
        : text_(text), separator_(separator) {}

    void skipSpaces() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    struct Number {
        int value = 0;
        int digits = 0;
    };

    // At most four significant digits: reading stops once the value reaches 1000.
    std::optional<Number> number() {
        skipSpaces();
        Number n;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9' && n.value < 1000) {
            n.value = n.value * 10 + (text_[pos_] - '0');
            ++n.digits;
            ++pos_;
        }
        if (n.digits == 0) return std::nullopt;
        return n;
    }

    bool separator() {
        skipSpaces();
        if (separator_.empty() || text_.substr(pos_).substr(0, separator_.size()) != separator_) {
            return false;
        }
        pos_ += separator_.size();
        return true;
    }

    bool atEnd() {
        skipSpaces();
        return pos_ == text_.size();
    }

private:
    std::string_view text_;
    std::string_view separator_;
    std::size_t pos_ = 0;
};

// A year written with one or two digits lands in the hundred years from currentYear - 50.
int WindowedYear(int year, int currentYear) {
    const long long base = static_cast<long long>(currentYear) - 50;
    long long result = year + 100 * (base / 100);
    if (result < base) result += 100;
    if (result < 0 || result > 99999) return 0;  // no calendar year; fails validation
    return static_cast<int>(result);
}

}  // namespace

std::string FormatDate(double dateValue, const FormatSettings& settings) {
    const CivilDate date = DecodeDate(dateValue);
    const std::string_view pattern = settings.shortDatePattern;
    std::string out;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const char c = pattern[pos];
        if (c == '\'' || c == '"') {
            const std::size_t close = pattern.find(c, pos + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            out.append(pattern.substr(pos + 1, end - pos - 1));
            pos = end == pattern.size() ? end : end + 1;
        } else if (IsLetter(c, 'd')) {
            // Day and month names have no place in a numeric date that must read back:
            // longer runs write the two-digit number.
            const std::size_t run = RunLength(pattern, pos, 'd');
            AppendNumber(out, date.day, run == 1 ? 1 : 2);
            pos += run;
        } else if (IsLetter(c, 'm')) {
            const std::size_t run = RunLength(pattern, pos, 'm');
            AppendNumber(out, date.month, run == 1 ? 1 : 2);
            pos += run;
        } else if (IsLetter(c, 'y')) {
            const std::size_t run = RunLength(pattern, pos, 'y');
            if (run <= 2) {
                AppendNumber(out, date.year % 100, 2);
            } else {
                AppendNumber(out, date.year, 4);
            }
            pos += run;
        } else if (c == '/') {
            out += settings.dateSeparator;
            ++pos;
        } else {
            out += c;
            ++pos;
        }
    }
    return out;
}

std::optional<double> ParseDate(std::string_view text, const FormatSettings& settings,
                                int currentYear) {
    DateScanner scan(text, settings.dateSeparator);

    const auto first = scan.number();
    if (!first || !scan.separator()) return std::nullopt;
    const auto second = scan.number();
    if (!second) return std::nullopt;

    std::optional<DateScanner::Number> third;
    if (scan.separator()) {
        third = scan.number();
        if (!third) return std::nullopt;
        scan.separator();  // one closing separator is allowed after a full date
    }
    if (!scan.atEnd()) return std::nullopt;

    int year = 0;
    int month = 0;
    int day = 0;
    const DateOrder order = OrderOf(settings.shortDatePattern);
    if (!third) {
        year = currentYear;
        if (order == DateOrder::DayMonthYear) {
            day = first->value;
            month = second->value;
        } else {
            month = first->value;
            day = second->value;
        }
    } else {
        DateScanner::Number written;
        switch (order) {
            case DateOrder::DayMonthYear:
                day = first->value;
                month = second->value;
                written = *third;
                break;
            case DateOrder::MonthDayYear:
                month = first->value;
                day = second->value;
                written = *third;
                break;
            case DateOrder::YearMonthDay:
                written = *first;
                month = second->value;
                day = third->value;
                break;
        }
        year = written.digits <= 2 ? WindowedYear(written.value, currentYear) : written.value;
    }
    return EncodeDate(year, month, day);
}

int LocalCurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local.tm_year + 1900;
}

}  // namespace talvesa
