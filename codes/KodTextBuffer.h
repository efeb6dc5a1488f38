#pragma once
// A short text in a buffer of fixed size, for code texts composed once per record without
// allocating. Appending past the end marks the text as overflowed instead; the caller then
// takes the general, allocating way.
#include <cstddef>
#include <cstring>
#include <string_view>

#include "text/TextRules.h"

namespace codes::detail {

class KodTextBuffer {
public:
    static constexpr std::size_t kCapacity = 128;

    // Code texts are a few characters long: a plain loop beats a library call.
    void append(std::string_view s) {
        if (s.size() > kCapacity - FSize) {
            FOverflowed = true;
            return;
        }
        char* out = FText + FSize;
        for (const char c : s) *out++ = c;
        FSize += s.size();
    }
    void append(char c) {
        if (FSize == kCapacity) {
            FOverflowed = true;
            return;
        }
        FText[FSize++] = c;
    }
    void clear() {
        FSize = 0;
        FOverflowed = false;
    }
    // Drops the last character (the text must not be empty).
    void popBack() { --FSize; }
    // Keeps only what text::trimmedView keeps.
    void trim() {
        const std::string_view t = text::trimmedView(view());
        std::memmove(FText, t.data(), t.size());
        FSize = t.size();
    }
    char* data() { return FText; }

    std::string_view view() const { return {FText, FSize}; }
    bool overflowed() const { return FOverflowed; }

private:
    char FText[kCapacity];
    std::size_t FSize = 0;
    bool FOverflowed = false;
};

}  // namespace codes::detail
