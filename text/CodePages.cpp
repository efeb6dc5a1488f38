#include "text/CodePages.h"

#include <array>

namespace text {
namespace {

// Upper halves (0x80..0xFF) of the published code pages. 0x98 is unassigned in Windows-1251;
// it is carried as the C1 control U+0098 so that it survives conversions.
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr std::array<char16_t, 128> kCp866High = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

struct Tables {
    std::array<unsigned char, 256> toOem{};
    std::array<unsigned char, 256> toAnsi{};
    std::array<unsigned char, 256> upper{};
};

int findHigh(const std::array<char16_t, 128>& page, char16_t u) {
    for (int i = 0; i < 128; ++i) {
        if (page[static_cast<std::size_t>(i)] == u) return i;
    }
    return -1;
}

char16_t upperOf(char16_t u) {
    if (u >= u'a' && u <= u'z') return static_cast<char16_t>(u - 0x20);
    if (u >= 0x0430 && u <= 0x044F) return static_cast<char16_t>(u - 0x20);
    if (u >= 0x0450 && u <= 0x045F) return static_cast<char16_t>(u - 0x50);
    if (u == 0x0491) return 0x0490;
    return u;
}

Tables buildTables() {
    Tables t;
    std::array<bool, 128> oemUsed{};
    std::array<bool, 128> ansiPaired{};
    for (int b = 0; b < 128; ++b) {
        t.toOem[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b);
        t.toAnsi[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b);
    }
    for (int i = 0; i < 128; ++i) {
        const int j = findHigh(kCp866High, kCp1251High[static_cast<std::size_t>(i)]);
        if (j < 0) continue;
        t.toOem[static_cast<std::size_t>(0x80 + i)] = static_cast<unsigned char>(0x80 + j);
        t.toAnsi[static_cast<std::size_t>(0x80 + j)] = static_cast<unsigned char>(0x80 + i);
        oemUsed[static_cast<std::size_t>(j)] = true;
        ansiPaired[static_cast<std::size_t>(i)] = true;
    }
    // Characters without a counterpart: pair the leftovers of both pages in ascending order.
    int j = 0;
    for (int i = 0; i < 128; ++i) {
        if (ansiPaired[static_cast<std::size_t>(i)]) continue;
        while (oemUsed[static_cast<std::size_t>(j)]) ++j;
        oemUsed[static_cast<std::size_t>(j)] = true;
        t.toOem[static_cast<std::size_t>(0x80 + i)] = static_cast<unsigned char>(0x80 + j);
        t.toAnsi[static_cast<std::size_t>(0x80 + j)] = static_cast<unsigned char>(0x80 + i);
    }
    for (int b = 0; b < 256; ++b) {
        const char16_t upper = upperOf(cp1251ToUnicode(static_cast<unsigned char>(b)));
        int target = b;
        if (upper < 0x80) {
            target = upper;
        } else if (upper != cp1251ToUnicode(static_cast<unsigned char>(b))) {
            const int k = findHigh(kCp1251High, upper);
            if (k >= 0) target = 0x80 + k;
        }
        t.upper[static_cast<std::size_t>(b)] = static_cast<unsigned char>(target);
    }
    return t;
}

const Tables& tables() {
    static const Tables t = buildTables();
    return t;
}

std::string mapBytes(std::string_view s, const std::array<unsigned char, 256>& table) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

void appendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

}  // namespace

char32_t cp1251ToUnicode(unsigned char c) {
    return c < 0x80 ? c : kCp1251High[static_cast<std::size_t>(c - 0x80)];
}

char32_t cp866ToUnicode(unsigned char c) {
    return c < 0x80 ? c : kCp866High[static_cast<std::size_t>(c - 0x80)];
}

std::string ansiToOem(std::string_view cp1251) { return mapBytes(cp1251, tables().toOem); }
std::string oemToAnsi(std::string_view cp866) { return mapBytes(cp866, tables().toAnsi); }
std::string upperCase1251(std::string_view cp1251) { return mapBytes(cp1251, tables().upper); }

char upperCase1251(char c) {
    return static_cast<char>(tables().upper[static_cast<unsigned char>(c)]);
}

std::string cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char c : cp1251) appendUtf8(out, cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t u = 0;
        std::size_t length = 1;
        if (lead < 0x80) {
            u = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            u = lead & 0x1F;
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            u = lead & 0x0F;
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            u = lead & 0x07;
            length = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        bool valid = i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) valid = false;
            u = (u << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        i += length;
        if (u < 0x80) {
            out += static_cast<char>(u);
            continue;
        }
        const int k = u <= 0xFFFF ? findHigh(kCp1251High, static_cast<char16_t>(u)) : -1;
        out += k >= 0 ? static_cast<char>(0x80 + k) : '?';
    }
    return out;
}

}  // namespace text
