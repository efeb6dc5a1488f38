#include "dbf/FieldValue.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "dbf/EngineMessages.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

bool isNumeric(char type) { return type == 'N' || type == 'F'; }

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

bool numberText(std::string_view value, int width, int decimals, std::string& text) {
    char digits[kMaxNumberText];
    const std::size_t length = writeNumberText(value, width, decimals, digits);
    if (length == kNotANumber) return false;
    text.assign(digits, length);
    return true;
}

std::size_t writeNumberText(std::string_view value, int width, int decimals, char* out) {
    std::size_t i = 0;
    const std::size_t n = value.size();
    while (i < n && value[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    const std::size_t wholeStart = i;
    while (i < n && value[i] >= '0' && value[i] <= '9') ++i;
    std::string_view whole = value.substr(wholeStart, i - wholeStart);
    std::string_view fraction;
    if (i < n && value[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < n && value[i] >= '0' && value[i] <= '9') ++i;
        fraction = value.substr(fractionStart, i - fractionStart);
    }
    while (i < n && value[i] == ' ') ++i;
    if (i != n || (whole.empty() && fraction.empty())) return kNotANumber;
    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);

    const auto keep = static_cast<std::size_t>(decimals < 0 ? 0 : decimals);
    const auto room = static_cast<std::size_t>(width < 0 ? 0 : width);
    // Longer than the field before any rounding: it cannot fit (and the buffer stays small).
    if (whole.size() > room || keep > room || room + 2 > kMaxNumberText) return kNotANumber;

    // Nothing to round, the usual case of a price: the digits as they come, zeros after them.
    if (fraction.size() <= keep) {
        const bool zero = whole.empty() && fraction.find_first_not_of('0') == std::string_view::npos;
        const bool minus = negative && !zero;
        const std::size_t wholeLength = whole.empty() ? 1 : whole.size();
        const std::size_t length = (minus ? 1 : 0) + wholeLength + (keep > 0 ? keep + 1 : 0);
        if (length > room) return kNotANumber;
        char* at = out;
        if (minus) *at++ = '-';
        if (whole.empty()) {
            *at++ = '0';
        } else {
            std::memcpy(at, whole.data(), whole.size());
            at += whole.size();
        }
        if (keep > 0) {
            *at++ = '.';
            // An absent fraction is a view of nothing, which memcpy must not be given.
            if (!fraction.empty()) std::memcpy(at, fraction.data(), fraction.size());
            std::memset(at + fraction.size(), '0', keep - fraction.size());
        }
        return length;
    }

    // The digits of the number at the field's decimals, after one spare digit for a carry:
    // rounding half away from zero in decimal digits, with no binary drift.
    char digits[kMaxNumberText * 2];
    std::size_t count = 0;
    digits[count++] = '0';
    for (char c : whole) digits[count++] = c;
    for (std::size_t k = 0; k < keep; ++k) digits[count++] = k < fraction.size() ? fraction[k] : '0';
    if (fraction.size() > keep && fraction[keep] >= '5') {
        for (std::size_t k = count; k-- > 0;) {
            if (digits[k] != '9') {
                ++digits[k];
                break;
            }
            digits[k] = '0';
        }
    }
    const std::size_t wholeEnd = count - keep;
    std::size_t first = 0;
    while (first + 1 < wholeEnd && digits[first] == '0') ++first;
    bool zero = true;
    for (std::size_t k = first; k < count && zero; ++k) zero = digits[k] == '0';

    const std::size_t length = (negative && !zero ? 1 : 0) + (wholeEnd - first) + (keep > 0 ? keep + 1 : 0);
    if (length > room) return kNotANumber;
    char* at = out;
    if (negative && !zero) *at++ = '-';
    for (std::size_t k = first; k < wholeEnd; ++k) *at++ = digits[k];
    if (keep > 0) {
        *at++ = '.';
        for (std::size_t k = wholeEnd; k < count; ++k) *at++ = digits[k];
    }
    return length;
}

namespace {

// Dates are YYYYMMDD or blank, logicals one of T, F, Y, N, ? or blank: anything else would make
// the table unreadable for other dBASE programs.
bool acceptable(const FieldDef& field, std::string_view value) {
    if (field.type != 'D' && field.type != 'L') return true;
    const bool blank = value.find_first_not_of(' ') == std::string_view::npos;
    if (blank) return true;
    if (field.type == 'D') {
        if (value.size() != 8 || value.find_first_not_of("0123456789") != std::string_view::npos) return false;
        const auto twoDigits = [value](std::size_t at) { return (value[at] - '0') * 10 + (value[at + 1] - '0'); };
        const int month = twoDigits(4), day = twoDigits(6);
        return month >= 1 && month <= 12 && day >= 1 && day <= 31;
    }
    return value.size() == 1 && value[0] != '\0' && std::strchr("TtFfYyNn?", value[0]) != nullptr;
}

}  // namespace

void writeFieldText(const FieldDef& field, std::string_view value, char* bytes, const std::string& path) {
    const auto width = static_cast<std::size_t>(field.width);
    if (!acceptable(field, value))
        raise("Значение \""_w + std::string(value) + "\" не подходит для поля \""_w + field.name + "\" типа " +
                  std::string(1, field.type) + ".",
              path);
    if (!isNumeric(field.type)) {
        const std::size_t n = std::min(width, value.size());
        if (n > 0) std::memcpy(bytes, value.data(), n);
        std::memset(bytes + n, ' ', width - n);
        return;
    }
    if (value.find_first_not_of(' ') == std::string_view::npos) {
        std::memset(bytes, ' ', width);
        return;
    }
    char text[kMaxNumberText];
    const std::size_t length = writeNumberText(value, field.width, field.decimals, text);
    if (length == kNotANumber)
        raise("Значение \""_w + std::string(value) + "\" не подходит для числового поля \""_w + field.name + "\" (" +
                  std::to_string(field.width) + "," + std::to_string(field.decimals) + ").",
              path);
    // Right-aligned straight into the record.
    const std::size_t blanks = width - length;
    std::memset(bytes, ' ', blanks);
    std::memcpy(bytes + blanks, text, length);
}

}  // namespace dbf
