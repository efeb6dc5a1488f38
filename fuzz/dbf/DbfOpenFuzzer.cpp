// Opens arbitrary bytes as a table and its production index and uses them the way the program
// does: open, walk, select a tag, seek, append and post, and the table helper's repairs; the
// index bytes also serve as key expressions and FOR conditions evaluated on the table's records
// (tags of every kind reach the same code through the .mdx). The only failure allowed is the
// engine's own error.
//
// Input: a little-endian u16 n, then n bytes of the .dbf, then the rest as the .mdx (no .mdx
// when the rest is empty).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dbf/DbfHeader.h"
#include "dbf/EngineError.h"
#include "dbf/Expression.h"
#include "dbf/Table.h"
#include "dbf/Wdbffile.h"

namespace {

const std::string& workFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/dbf-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (!made) std::abort();
        return std::string(made);
    }();
    return folder;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

void useTable(dbf::Table& table) {
    std::size_t steps = 0;
    for (table.first(); !table.eof() && steps < 1000; table.next(), ++steps)
        for (const auto& field : table.fields()) (void)table.fieldText(field.name);
    (void)table.recordCount();
    table.refreshIndexDefs();
    for (const auto& name : table.indexDefNames()) {
        table.selectTag(name);
        steps = 0;
        for (table.first(); !table.eof() && steps < 1000; table.next(), ++steps) (void)table.recordNumber();
        table.setKey();
        if (!table.fields().empty()) table.setFieldText(table.fields().front().name, "M");
        (void)table.gotoKey();
        table.gotoNearest();
    }
    table.append();
    for (const auto& field : table.fields()) {
        try {
            table.setFieldText(field.name, "12.5");
        } catch (const dbf::EngineError&) {
            // A numeric field too narrow for the value: refused, as it should be.
        }
    }
    table.post();
}

// Every NUL-separated piece of `text` parsed as an expression over the table's fields and
// evaluated on a blank record and on the table's first one.
void evaluateExpressions(const std::uint8_t* table, std::size_t tableSize, const std::uint8_t* text, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(table), tableSize);
    dbf::TableHeader header;
    try {
        header = dbf::parseHeader(bytes, bytes.size(), "t.dbf");
    } catch (const dbf::EngineError&) {
        return;
    }
    std::string blank(header.recordLength, ' ');
    std::string first = blank;
    if (header.recordCount > 0) first = bytes.substr(header.headerLength, header.recordLength);
    const std::string all(reinterpret_cast<const char*>(text), std::min<std::size_t>(size, 4096));
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        for (bool oem : {false, true}) {
            const auto expression = dbf::Expression::parse(all.substr(start, end - start), header, oem);
            if (!expression) continue;
            (void)expression->evaluate(header, blank.data());
            (void)expression->evaluate(header, first.data());
        }
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t tableSize = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
    const std::string dbfPath = workFolder() + "/t.dbf";
    const std::string mdxPath = workFolder() + "/t.mdx";
    writeFile(dbfPath, data + 2, tableSize);
    const std::size_t indexSize = size - 2 - tableSize;
    evaluateExpressions(data + 2, tableSize, data + 2 + tableSize, indexSize);
    if (indexSize > 0)
        writeFile(mdxPath, data + 2 + tableSize, indexSize);
    else
        ::unlink(mdxPath.c_str());

    try {
        dbf::Table table;
        table.setDatabaseName(workFolder());
        table.setTableName("t.dbf");
        table.setExclusive(true);
        table.open();
        useTable(table);
    } catch (const dbf::EngineError&) {
        // Malformed input is reported as the engine's error: that is the expected outcome.
    }

    // The helper's open with its checks and repairs, as the mapping tables use it.
    static const SIndexDesc kIndexes[] = {{"NR_IND", "NAME_SP+ROST", "NAME_SP"}, {"NULL", "NULL", "NULL"}};
    writeFile(dbfPath, data + 2, tableSize);
    if (indexSize > 0) writeFile(mdxPath, data + 2 + tableSize, indexSize);
    WDbfFile helper;
    TableSlot slot;
    try {
        if (helper.OpenIndexedTable(slot, dbfPath, false, true, kIndexes, "NR_IND")) useTable(*slot);
    } catch (const dbf::EngineError&) {
        // Using a table the helper opened can still meet malformed records: the engine's error.
    }
    helper.CloseTable(slot);
    return 0;
}
