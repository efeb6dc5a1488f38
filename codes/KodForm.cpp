#include "codes/KodForm.h"

#include <algorithm>
#include <cstring>

#include "codes/CodeKind.h"
#include "codes/CodePageBytes.h"
#include "codes/CodeText.h"
#include "text/TextRules.h"

// The rules below are read off the round trip: the formatted code is rebuilt from fixed
// columns, packed digits come back as digits, dashes and points but every other character as
// a blank, and the rebuilt parts are trimmed. So a part is canonical exactly when the columns
// it is aligned into give it back unchanged. docs/normative-codes.md has them as a table.
namespace codes {

namespace {

using detail::isDigit;
using text::isBlankOrControl;

// Longest code that can be canonical at all; longer ones go the raw way.
constexpr std::size_t kMaxCheckedLength = 99;
constexpr std::size_t kCollectionWidth = 6;
constexpr std::size_t kPartWidth = 5;
constexpr std::size_t kNumberWidth = 4;

// Characters the packed digits give back unchanged: digits, the blank, the point (only base
// letter M lets a point come this far; for the others it marks a raw code).
bool survivesPacking(char c) { return isDigit(c) || c == ' ' || c == '.'; }

bool allOf(std::string_view s, bool (*rule)(char)) { return std::all_of(s.begin(), s.end(), rule); }

bool digitOrBlank(char c) { return isDigit(c) || c == ' '; }
bool survivesInPosition(char c) { return survivesPacking(c) || c == '-'; }

// A number as the packed digits give it back: digits with blanks only between them.
bool isPlainNumber(std::string_view s, std::size_t maxWidth) {
    return !s.empty() && s.size() <= maxWidth && isDigit(s.front()) && isDigit(s.back()) &&
           allOf(s, digitOrBlank);
}

// Writes s right-aligned into width columns at out (a few characters: no library call).
void putRightAligned(char* out, std::string_view s, std::size_t width) {
    out += width - s.size();
    for (const char c : s) *out++ = c;
}

// A table of kinds 9 and M, or a position of any kind: packed digits and one character taken
// as it stands behind them. All but the last character must come back from packing unchanged,
// and the part must not begin with a blank (the formatted part is trimmed).
bool isNumberAndSuffix(std::string_view s, bool (*inner)(char)) {
    if (s.empty() || s.size() > kPartWidth) return false;
    if (isBlankOrControl(s.front()) || isBlankOrControl(s.back())) return false;
    return allOf(s.substr(0, s.size() - 1), inner);
}

// The five columns of such a part: a number ending in a digit leaves the suffix column blank.
void putNumberAndSuffix(char* out, std::string_view s) {
    if (s.size() < kPartWidth && isDigit(s.back())) {
        putRightAligned(out, s, kNumberWidth);
    } else {
        putRightAligned(out, s, kPartWidth);
    }
}

// A table of kind 4: a number of up to five digits whose second character is a digit too
// when it fills all five columns, or a prefix character and a number of up to four.
bool isTable4(std::string_view s) {
    if (s.empty()) return false;
    if (isDigit(s.front())) {
        return isPlainNumber(s, kPartWidth) && (s.size() < kPartWidth || isDigit(s[1]));
    }
    if (isBlankOrControl(s.front())) return false;
    const std::string_view number = s.substr(1);
    return number.empty() || isPlainNumber(number, kNumberWidth);
}

void putTable4(char* out, std::string_view s) {
    if (isDigit(s.front())) {
        putRightAligned(out, s, kPartWidth);
    } else {
        out[0] = s.front();
        putRightAligned(out + 1, s.substr(1), kNumberWidth);
    }
}

// The collection of base letter M: up to two digits, a point, up to four digits, points and
// inner blanks; not both sides empty.
bool isCollectionM(std::string_view s, std::string_view& first, std::string_view& second) {
    const std::size_t point = s.find('.');
    if (point == std::string_view::npos) return false;
    first = s.substr(0, point);
    second = s.substr(point + 1);
    if (first.size() > 2 || !allOf(first, isDigit)) return false;
    if (second.size() > kNumberWidth) return false;
    if (!second.empty()) {
        if (second.front() == ' ' || second.back() == ' ' || !allOf(second, survivesPacking)) {
            return false;
        }
    }
    return !first.empty() || !second.empty();
}

}  // namespace

char KindOfCode(char typeLetter, std::string_view collection, char baseLetter) {
    switch (baseLetter) {
        case '1':
        case '9':
            return '9';
        case 'M':
            return 'M';
        case 'G': {
            const bool isIe = typeLetter == detail::kCapitalIe1251;
            if (!isIe && typeLetter != detail::kCapitalTse1251) return '9';
            const long long n = LeadingNumber(collection);
            if (isIe && n >= 51 && n <= 69) return '9';
            if (n > 8000) return '9';
            return 'G';
        }
        default:
            return '4';
    }
}

namespace {

// The tail after the collection of kinds 4, 9 and M: table, then an optional position that
// runs to the end of the code (dashes inside it included). dash: the first dash in rest.
bool checkTail(std::string_view rest, std::size_t dash, char kind, char* x) {
    const std::string_view table = rest.substr(0, dash);
    if (kind == '4') {
        if (!isTable4(table)) return false;
        putTable4(x + 7, table);
    } else {
        if (!isNumberAndSuffix(table, survivesPacking)) return false;
        putNumberAndSuffix(x + 7, table);
    }
    if (dash == std::string_view::npos) return true;
    const std::string_view position = rest.substr(dash + 1);
    if (!isNumberAndSuffix(position, survivesInPosition)) return false;
    putNumberAndSuffix(x + 12, position);
    return true;
}

// The tail of kind G: a section of two columns, a table of four (empty when a position
// follows), then the position. dash, tableDash: the first two dashes in rest.
KodForm checkTailG(std::string_view rest, std::size_t dash, std::size_t tableDash, char* x) {
    if (dash == std::string_view::npos) return KodForm::NotCanonical;
    const std::string_view section = rest.substr(0, dash);
    if (section == "  ") return KodForm::Undecided;
    const bool wellFormed =
        section.size() == 2 && isDigit(section[1]) && (isDigit(section[0]) || section[0] == ' ');
    if (!wellFormed) return KodForm::NotCanonical;
    std::memcpy(x + 7, section.data(), 2);

    rest = rest.substr(dash + 1);
    if (tableDash != std::string_view::npos) tableDash -= dash + 1;
    const std::string_view table = rest.substr(0, tableDash);
    if (tableDash == std::string_view::npos) {
        if (!isPlainNumber(table, kNumberWidth)) return KodForm::NotCanonical;
        putRightAligned(x + 9, table, kNumberWidth);
        return KodForm::Canonical;
    }
    if (!table.empty() && !isPlainNumber(table, kNumberWidth)) return KodForm::NotCanonical;
    putRightAligned(x + 9, table, kNumberWidth);
    const std::string_view position = rest.substr(tableDash + 1);
    if (!isNumberAndSuffix(position, survivesInPosition)) return KodForm::NotCanonical;
    putNumberAndSuffix(x + 13, position);
    return KodForm::Canonical;
}

// code is not empty.
bool beginsWithO(std::string_view code) {
    return code.front() == detail::kCapitalO1251 || code.front() == detail::kSmallO1251;
}

}  // namespace

KodForm CheckKodForm(std::string_view code, char baseLetter, AlignedKodText& aligned) {
    aligned.size = 0;
    aligned.kind = '\0';
    if (std::string_view("19GM4").find(baseLetter) == std::string_view::npos) return KodForm::Undecided;
    // A code beginning with a blank is all blank or untrimmed: never canonical either way.
    if (code.empty() || isBlankOrControl(code.front())) return KodForm::NotCanonical;
    if (code.size() > kMaxCheckedLength) return KodForm::NotCanonical;
    if (baseLetter == 'M' && beginsWithO(code)) return KodForm::Canonical;

    // The formatted code is trimmed, never ends in a dash and never holds the raw marker; its
    // type letter may be neither of the two that format into something without a dash.
    const char typeLetter = code.front();
    if (isBlankOrControl(code.back()) || code.back() == '-') return KodForm::NotCanonical;
    if (typeLetter == detail::kCapitalA1251 || typeLetter == detail::kCapitalLatinR) {
        return KodForm::NotCanonical;
    }
    // One pass for the raw marker and the first three dashes after the type letter.
    const char marker = baseLetter == 'M' ? ',' : '.';
    if (typeLetter == marker) return KodForm::NotCanonical;
    constexpr std::size_t npos = std::string_view::npos;
    std::size_t dashes[3] = {npos, npos, npos};
    std::size_t found = 0;
    for (std::size_t i = 1; i < code.size(); ++i) {
        const char c = code[i];
        if (c == marker) return KodForm::NotCanonical;
        if (c == '-' && found < 3) dashes[found++] = i;
    }
    if (found == 0) return KodForm::NotCanonical;
    const std::size_t dash = dashes[0];
    const std::string_view collection = code.substr(1, dash - 1);
    const std::string_view rest = code.substr(dash + 1);
    // Dash positions within rest.
    const auto inRest = [&](std::size_t p) { return p == npos ? npos : p - dash - 1; };

    char x[kAlignedWidthG];
    std::memset(x, ' ', sizeof x);
    x[0] = typeLetter;
    if (baseLetter == 'M') {
        std::string_view first, second;
        if (!isCollectionM(collection, first, second)) return KodForm::NotCanonical;
        putRightAligned(x + 1, first, 2);
        putRightAligned(x + 3, second, kNumberWidth);
    } else {
        if (!isPlainNumber(collection, kCollectionWidth)) return KodForm::NotCanonical;
        putRightAligned(x + 1, collection, kCollectionWidth);
    }

    const char kind = KindOfCode(typeLetter, collection, baseLetter);
    if (kind == 'G') {
        const KodForm form = checkTailG(rest, inRest(dashes[1]), inRest(dashes[2]), x);
        if (form != KodForm::Canonical) return form;
        aligned.size = kAlignedWidthG;
    } else {
        if (!checkTail(rest, inRest(dashes[1]), kind, x)) return KodForm::NotCanonical;
        aligned.size = kAlignedWidth;
    }
    const detail::ByteTable& toOem = detail::ansiToOemTable();
    for (std::size_t i = 0; i < aligned.size; ++i) aligned.text[i] = detail::mapByte(toOem, x[i]);
    aligned.kind = kind;
    return KodForm::Canonical;
}

}  // namespace codes
