#include "dbf/TagKey.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace dbf {
namespace {

constexpr std::size_t kNumericKeyLength = 12;
constexpr int kExponentBias = 0x34;

// The numeric comparison of TDbf, the writer whose files we share: digits compared directly
// when the exponents agree, else the exponents. Zero (exponent 0, no digits) falls where this
// puts it: above the fractions below 0.1, a quirk we keep so that our order matches theirs.
int compareNumeric(const unsigned char* a, const unsigned char* b) {
    const bool negativeA = (a[1] & 0x80) != 0, negativeB = (b[1] & 0x80) != 0;
    if (negativeA != negativeB) return negativeA ? -1 : 1;
    int result = 0;
    if (a[0] == b[0]) {
        result = std::memcmp(a + 2, b + 2, 8);
    } else {
        result = static_cast<int>(a[0]) - static_cast<int>(b[0]);
    }
    result = result < 0 ? -1 : result > 0 ? 1 : 0;
    return negativeA ? -result : result;
}

}  // namespace

int compareKeys(const ProductionIndex::Tag& tag, const char* a, const char* b) {
    int result = 0;
    if (tag.keyType == 'N' || tag.keyType == 'F') {
        result = compareNumeric(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b));
    } else {
        result = std::memcmp(a, b, static_cast<std::size_t>(tag.keyLength));
        result = result < 0 ? -1 : result > 0 ? 1 : 0;
    }
    return tag.descending ? -result : result;
}

std::string numericKey(double value) {
    std::string key(kNumericKeyLength, '\0');
    if (!std::isfinite(value) || value == 0) {
        key[0] = static_cast<char>(kExponentBias);
        key[1] = 1;
        return key;
    }
    // 15 significant digits, as TDbf takes them from a double.
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
    std::string digits;
    for (const char* p = text; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    const int exponent = std::atoi(std::strchr(text, 'e') + 1) + 1;  // digits before the point
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.size() > 16) digits.resize(16);
    key[0] = static_cast<char>(static_cast<unsigned char>(kExponentBias + exponent));
    unsigned char length = static_cast<unsigned char>((digits.size() + 1) / 2 * 8 + 1);
    if (value < 0) length |= 0x80;
    key[1] = static_cast<char>(length);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = digits[i] - '0';
        const int low = i + 1 < digits.size() ? digits[i + 1] - '0' : 0;
        key[2 + i / 2] = static_cast<char>((high << 4) | low);
    }
    return key;
}

void makeTagKey(const ProductionIndex::Tag& tag, const TableHeader& header, const char* record, std::string& key) {
    if (tag.plain) {
        makeKeyInto(*tag.plain, header, record, key);
        return;
    }
    const ExprValue value = tag.expression->evaluate(header, record);
    if (value.kind == ExprValue::Kind::Number) {
        key = numericKey(value.number);
        return;
    }
    key = value.text;
    key.resize(static_cast<std::size_t>(tag.keyLength), ' ');
}

std::string makeTagKey(const ProductionIndex::Tag& tag, const TableHeader& header, const char* record) {
    std::string key;
    makeTagKey(tag, header, record, key);
    return key;
}

}  // namespace dbf
