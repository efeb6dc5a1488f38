#include "platform/win32/WideText.h"

#include <windows.h>

#include <cstdio>

namespace platform::win32 {
namespace {

constexpr UINT kCodePage = 1251;

// Converts with the default character switched off from best fit, and says whether it was used.
bool narrowInto(const std::wstring& text, std::string& out, bool& usedDefault) {
    out.clear();
    usedDefault = false;
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    BOOL used = FALSE;
    const int size = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length,
                                           nullptr, 0, nullptr, &used);
    if (size <= 0) return false;
    out.resize(static_cast<std::size_t>(size));
    used = FALSE;
    ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(), size,
                          nullptr, &used);
    usedDefault = used != FALSE;
    return true;
}

char32_t characterAt(const std::wstring& text, std::size_t& i) {
    const char32_t first = text[i];
    if (first >= 0xD800 && first <= 0xDBFF && i + 1 < text.size()) {
        const char32_t second = text[i + 1];
        if (second >= 0xDC00 && second <= 0xDFFF) {
            i += 2;
            return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
        }
    }
    ++i;
    return first;
}

}  // namespace

std::wstring widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(kCodePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) ::MultiByteToWideChar(kCodePage, 0, text.data(), length, wide.data(), size);
    return wide;
}

std::optional<std::string> narrow(const std::wstring& text, char32_t* unmappable) {
    std::string out;
    bool usedDefault = false;
    if (narrowInto(text, out, usedDefault) && !usedDefault) {
        // A round trip catches what the default-character report misses (unpaired surrogates).
        if (widen(out) == text) return out;
    }
    if (unmappable != nullptr) {
        *unmappable = U'\uFFFD';
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t start = i;
            const char32_t c = characterAt(text, i);
            const std::wstring one = text.substr(start, i - start);
            std::string piece;
            bool used = false;
            if (!narrowInto(one, piece, used) || used || widen(piece) != one) {
                *unmappable = c;
                break;
            }
        }
    }
    return std::nullopt;
}

std::string narrowForDiagnostics(const std::wstring& text) {
    std::string out;
    bool usedDefault = false;
    narrowInto(text, out, usedDefault);
    return out;
}

std::string codePointName(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    return buffer;
}

std::string unmappableMessage(const std::wstring& what, char32_t c) {
    // Wide literals convert exactly: every character here exists in Windows-1251.
    return narrowForDiagnostics(what + L" содержит символ ") + codePointName(c) +
           narrowForDiagnostics(L", которого нет в кодировке Windows-1251.");
}

}  // namespace platform::win32
