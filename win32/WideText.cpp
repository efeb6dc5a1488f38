#include "win32/WideText.h"

#include <array>
#include <unordered_map>

#include "text/CodePages.h"

namespace win32 {
namespace {

const std::unordered_map<wchar_t, char>& byteOfCharacter() {
    static const std::unordered_map<wchar_t, char> map = [] {
        std::unordered_map<wchar_t, char> built;
        for (int byte = 0; byte < 256; ++byte) {
            const char32_t code = text::cp1251ToUnicode(static_cast<unsigned char>(byte));
            built.emplace(static_cast<wchar_t>(code), static_cast<char>(byte));
        }
        return built;
    }();
    return map;
}

}  // namespace

std::wstring toWide(std::string_view cp1251) {
    std::wstring wide;
    wide.reserve(cp1251.size());
    // Every Windows-1251 character lies in the basic plane: one UTF-16 unit each.
    for (const char c : cp1251) {
        wide.push_back(static_cast<wchar_t>(text::cp1251ToUnicode(static_cast<unsigned char>(c))));
    }
    return wide;
}

std::string fromWide(std::wstring_view utf16) {
    const auto& map = byteOfCharacter();
    std::string narrow;
    narrow.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const wchar_t unit = utf16[i];
        // A surrogate pair is one character outside the code page: one "?" for both halves.
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size()) ++i;
        const auto found = map.find(unit);
        narrow.push_back(found == map.end() ? '?' : found->second);
    }
    return narrow;
}

}  // namespace win32
