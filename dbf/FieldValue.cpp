#include "dbf/FieldValue.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "dbf/EngineMessages.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

bool isNumeric(char type) { return type == 'N' || type == 'F'; }

// Adds one to a string of decimal digits; true when it carried out of the first digit.
bool incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

}  // namespace

std::string readFieldText(const FieldDef& field, const char* bytes) {
    // Cut in the record, so that the text is made once, at its final length.
    return std::string(readFieldView(field, bytes));
}

std::string_view readFieldView(const FieldDef& field, const char* bytes) {
    std::size_t end = static_cast<std::size_t>(field.width);
    // Eight bytes at a time while they are all blanks or NULs (a byte is either of them
    // exactly when it has no bit set outside 0x20): most text fills little of its field.
    while (end >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + end - 8, 8);
        if ((word & 0xDFDFDFDFDFDFDFDFull) != 0) break;
        end -= 8;
    }
    while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == '\0')) --end;
    std::size_t begin = 0;
    if (isNumeric(field.type))
        while (begin < end && bytes[begin] == ' ') ++begin;
    return std::string_view(bytes + begin, end - begin);
}

bool formatNumber(const std::string& value, int width, int decimals, std::string& out) {
    std::string text;
    if (!numberText(value, width, decimals, text)) return false;
    out.assign(static_cast<std::size_t>(width) - text.size(), ' ');
    out += text;
    return true;
}

// The numeric text of formatNumber without the blanks in front; false as there.
bool numberText(const std::string& value, int width, int decimals, std::string& text) {
    std::size_t i = 0;
    const std::size_t n = value.size();
    while (i < n && value[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    std::string whole, fraction;
    const auto digitsFrom = [&value, &i, n](std::string& digits) {
        const std::size_t start = i;
        while (i < n && value[i] >= '0' && value[i] <= '9') ++i;
        digits.assign(value, start, i - start);
    };
    digitsFrom(whole);
    if (i < n && value[i] == '.') {
        ++i;
        digitsFrom(fraction);
    }
    while (i < n && value[i] == ' ') ++i;
    if (i != n || (whole.empty() && fraction.empty())) return false;

    // Round half away from zero to the field's decimals, in decimal digits (no binary drift).
    const auto keep = static_cast<std::size_t>(decimals);
    bool roundUp = fraction.size() > keep && fraction[keep] >= '5';
    fraction.resize(keep, '0');
    if (roundUp) {
        if (incrementDigits(fraction) || keep == 0) {
            if (whole.empty()) whole.assign(1, '0');
            if (incrementDigits(whole)) whole.insert(whole.begin(), '1');
        }
    }
    const auto firstNonZero = whole.find_first_not_of('0');
    if (firstNonZero == std::string::npos)
        whole.assign(1, '0');
    else
        whole.erase(0, firstNonZero);
    const bool zero = whole == "0" && fraction.find_first_not_of('0') == std::string::npos;
    text.clear();
    if (negative && !zero) text += '-';
    text += whole;
    if (keep > 0) {
        text += '.';
        text += fraction;
    }
    return text.size() <= static_cast<std::size_t>(width);
}

namespace {

// Dates are YYYYMMDD or blank, logicals one of T, F, Y, N, ? or blank: anything else would make
// the table unreadable for other dBASE programs.
bool acceptable(const FieldDef& field, const std::string& value) {
    const bool blank = value.find_first_not_of(' ') == std::string::npos;
    if (field.type == 'D') {
        if (blank) return true;
        if (value.size() != 8 || value.find_first_not_of("0123456789") != std::string::npos) return false;
        const int month = std::stoi(value.substr(4, 2)), day = std::stoi(value.substr(6, 2));
        return month >= 1 && month <= 12 && day >= 1 && day <= 31;
    }
    if (field.type == 'L')
        return blank || (value.size() == 1 && value[0] != '\0' && std::strchr("TtFfYyNn?", value[0]) != nullptr);
    return true;
}

}  // namespace

void writeFieldText(const FieldDef& field, const std::string& value, char* bytes, const std::string& path) {
    const auto width = static_cast<std::size_t>(field.width);
    if (!acceptable(field, value))
        raise("Значение \""_w + value + "\" не подходит для поля \""_w + field.name + "\" типа " +
                  std::string(1, field.type) + ".",
              path);
    if (!isNumeric(field.type)) {
        const std::size_t n = std::min(width, value.size());
        std::memcpy(bytes, value.data(), n);
        std::memset(bytes + n, ' ', width - n);
        return;
    }
    if (value.find_first_not_of(' ') == std::string::npos) {
        std::memset(bytes, ' ', width);
        return;
    }
    std::string text;
    if (!numberText(value, field.width, field.decimals, text))
        raise("Значение \""_w + value + "\" не подходит для числового поля \""_w + field.name + "\" (" +
                  std::to_string(field.width) + "," + std::to_string(field.decimals) + ").",
              path);
    // Right-aligned straight into the record.
    const std::size_t blanks = width - text.size();
    std::memset(bytes, ' ', blanks);
    std::memcpy(bytes + blanks, text.data(), text.size());
}

}  // namespace dbf
