#include "codes/CodePageBytes.h"

#include <array>
#include <string>
#include <string_view>

#include "text/CodePages.h"

namespace codes::detail {

namespace {

// The whole mapping of one direction, taken once from the text layer's conversion.
struct ByteMap {
    std::array<char, 256> bytes{};
    explicit ByteMap(std::string (*convert)(std::string_view)) {
        std::string all(256, '\0');
        for (int b = 0; b < 256; ++b) all[static_cast<std::size_t>(b)] = static_cast<char>(b);
        const std::string mapped = convert(all);
        for (std::size_t b = 0; b < 256; ++b) bytes[b] = mapped[b];
    }
    char operator()(char c) const { return bytes[static_cast<unsigned char>(c)]; }
};

}  // namespace

char ansiToOemByte(char c) {
    static const ByteMap map(text::ansiToOem);
    return map(c);
}

char oemToAnsiByte(char c) {
    static const ByteMap map(text::oemToAnsi);
    return map(c);
}

}  // namespace codes::detail
