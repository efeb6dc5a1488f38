#include "codes/CodePageBytes.h"

#include <string>
#include <string_view>

#include "text/CodePages.h"

namespace codes::detail {

namespace {

// The whole mapping of one direction, taken once from the text layer's conversion.
ByteTable tableOf(std::string (*convert)(std::string_view)) {
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b) all[static_cast<std::size_t>(b)] = static_cast<char>(b);
    const std::string mapped = convert(all);
    ByteTable table{};
    for (std::size_t b = 0; b < table.size(); ++b) table[b] = mapped[b];
    return table;
}

}  // namespace

const ByteTable& ansiToOemTable() {
    static const ByteTable table = tableOf(text::ansiToOem);
    return table;
}

const ByteTable& oemToAnsiTable() {
    static const ByteTable table = tableOf(text::oemToAnsi);
    return table;
}

}  // namespace codes::detail
