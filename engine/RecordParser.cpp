#include "engine/RecordParser.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

#include "engine/PriceText.h"
#include "text/CodePages.h"
#include "text/TextRules.h"

namespace engine {
namespace {

// A plain decimal integer, optionally signed and surrounded by blanks; anything else fails.
std::optional<int> integerValue(std::string_view value) {
    value = text::trimmedView(value);
    const char* begin = value.data();
    const char* end = begin + value.size();
    if (begin != end && *begin == '+') ++begin;
    int result = 0;
    const auto [stop, error] = std::from_chars(begin, end, result);
    if (error != std::errc() || stop != end || begin == end) return std::nullopt;
    return result;
}

// Characters from..to (1-based, inclusive) of s, as far as s reaches.
std::string_view characters(std::string_view s, std::size_t from, std::size_t to) {
    if (from > s.size()) return {};
    return s.substr(from - 1, to - from + 1);
}

}  // namespace

RecordParser::RecordParser() {
    FTypeLetters.Clear();
    FTypeLetters.Add(1, "З"_w);
    FTypeLetters.Add(3, "Х"_w);
    FTypeLetters.Add(4, "С"_w);
}

std::string RecordParser::RemoveChars(std::string text, const std::string& character) {
    text = text::trimmed(text);
    if (character.empty()) return text;
    for (auto at = text.find(character); at != std::string::npos; at = text.find(character, at))
        text.erase(at, character.size());
    return text;
}

bool RecordParser::CleanRecord(const char* raw, std::string& record) {
    const std::string_view text = text::trimmedView(raw != nullptr ? std::string_view(raw) : std::string_view());
    if (text.empty()) return false;
    // Without parentheses the cleaning is the trimming just done.
    const auto has = [text](char c) { return std::memchr(text.data(), c, text.size()) != nullptr; };
    if (!has('(') && !has(')')) {
        record.assign(text);
    } else {
        record = RemoveChars(std::string(text), "(");
        record = RemoveChars(record, ")");
    }
    return true;
}

std::string RecordParser::GetField(const std::string& record, char separator, int n) {
    int count = 0;
    std::size_t start = 0;
    for (std::size_t at = 0; at < record.size(); ++at) {
        if (record[at] != separator) continue;
        ++count;
        if (count == n) return record.substr(start, at - start);
        start = at + 1;
    }
    // The text after the last separator is field count + 1; a field beyond it does not exist,
    // and must not repeat the last field (a short record would take its name as its prices).
    if (n == count + 1) return record.substr(start);
    return {};
}

namespace {

// A numeric code whose dash at position 3 or 4 is gone, rebuilt into head-mid or
// head-mid-tail and appended to `out`; false, with nothing appended, when it is too short.
bool appendRebuilt(std::string_view u, std::string& out) {
    std::string_view tail;
    std::size_t n = u.size();
    const std::size_t tailDash = u.find('-');
    if (tailDash != std::string::npos && tailDash >= 5) {  // the first dash at position 6 or later
        tail = u.substr(tailDash + 1);
        n = tailDash;
    }
    if (n < 5) return false;

    const std::string_view number = u.substr(0, n);
    std::string_view head, mid;
    if (n == 5) {
        head = characters(number, 1, 1);
        mid = characters(number, 2, 5);
    } else if (n == 6) {
        head = characters(number, 1, 2);
        mid = characters(number, 3, 6);
    } else {
        head = characters(number, 1, 3);
        mid = characters(number, 4, 7);
        if (tailDash == std::string::npos || tailDash < 5) tail = characters(number, 8, 13);
    }
    out += head;
    out += '-';
    out += mid;
    if (!tail.empty()) {
        out += '-';
        out += tail;
    }
    return true;
}

// Drops the dash at position 3 or 4 of a code that starts with a digit; false for a code that
// starts otherwise (a letter: С, Х, З, Э, C, X among them), which has its form already.
bool dropHeadDash(std::string& code) {
    if (code.empty() || !text::isDigit(code.front())) return false;
    const std::size_t dash = code.find('-');
    if (dash == 2 || dash == 3) code.erase(dash, 1);
    return true;
}

}  // namespace

bool RecordParser::ReformatSourceCode(std::string& code) {
    if (!dropHeadDash(code)) return false;
    std::string rebuilt;
    if (!appendRebuilt(code, rebuilt)) return false;
    code = std::move(rebuilt);
    return true;
}

bool RecordParser::Parse(const std::string& record, char separator, SourceRecord& out) const {
    // The seven fields in one pass: field n lies between separators n - 1 and n, the last one
    // runs to the end, and a field beyond it is empty (as GetField gives them one by one).
    constexpr int kFields = 7;
    std::string_view fields[kFields];
    const std::string_view text(record);
    std::size_t start = 0;
    for (int n = 0; n < kFields; ++n) {
        const std::size_t at = text.find(separator, start);
        fields[n] = text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start);
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    if (!fields[1].empty()) {
        const std::optional<int> type = integerValue(fields[0]);
        if (!type) return false;
        // A type without a letter gives the code alone; looking it up must not grow the map.
        const auto letter = FTypeLetters.find(*type);
        if (letter != FTypeLetters.end()) out.code = letter->second;
        FCodeRoom.assign(fields[1]);
        if (!dropHeadDash(FCodeRoom) || !appendRebuilt(FCodeRoom, out.code)) out.code += FCodeRoom;
    }
    out.name.assign(fields[2]);
    out.unit.assign(fields[3]);
    NormalisePrice(fields[5], FStr, out.price2);
    NormalisePrice(fields[6], FStr, out.price1);
    return true;
}

}  // namespace engine
