#pragma once
// The header of a table file: the fixed 32 bytes and the field descriptors. Table reads it once
// at open and rewrites only the record count and date afterwards; createTable writes it whole.
#include <cstdint>
#include <string>
#include <vector>

#include "dbf/Table.h"

namespace dbf {

struct TableHeader {
    std::uint8_t version = 0;
    std::uint8_t year = 0;  // since 1900
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint32_t recordCount = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::uint8_t productionIndex = 0;
    std::uint8_t languageDriver = 0;
    int level = 4;                   // 7 for a dBASE 7 table
    std::string languageDriverName;  // level 7: such as "DB1251RU0"
    std::vector<FieldDef> fields;
    std::vector<int> offsets;  // of each field inside a record (the deletion flag is byte 0)
};

// Reads and checks a header from the file's first bytes. `bytes` holds at least the whole
// header (headerLength) or the whole file when it is shorter; `fileSize` is the file's length.
// Raises EngineError naming `path` when the header is malformed or the records it announces
// are not in the file.
TableHeader parseHeader(const std::string& bytes, std::uint64_t fileSize, const std::string& path);

// Header length announced by the first 32 bytes (0 when fewer are given).
std::uint16_t announcedHeaderLength(const std::string& firstBytes);

// Whether the table's text is in code page 866 by its language driver (byte or name).
bool oemText(const TableHeader& header);

// A new header for these fields, with today's date and no records; checks the definitions.
TableHeader makeHeader(const std::vector<FieldDef>& fields, std::uint8_t languageDriver,
                       const std::string& path);

// The header bytes up to and including the terminator.
std::string encodeHeader(const TableHeader& header);

// The 7 bytes from the date to the record count (offsets 1 to 7): what a post rewrites.
std::string encodeDateAndCount(const TableHeader& header);

// Today's local date into the header.
void stampToday(TableHeader& header);

}  // namespace dbf
