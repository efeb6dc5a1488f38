#pragma once
// Keys of a tag as dBASE IV stores them: character keys padded with blanks to the key length,
// numeric keys in the 12-byte decimal form (as Free Pascal's TDbf writes and orders them), and
// the order of two keys, reversed in a descending tag. Used by the tag operations and Table.
#include <string>

#include "dbf/ProductionIndex.h"

namespace dbf {

// -1, 0 or 1: how key `a` stands to key `b` in the tag's order (both of the key length).
int compareKeys(const ProductionIndex::Tag& tag, const char* a, const char* b);

// The key of a record buffer (deletion flag at byte 0) into `key`. The tag must be seekable.
void makeTagKey(const ProductionIndex::Tag& tag, const TableHeader& header, const char* record, std::string& key);
std::string makeTagKey(const ProductionIndex::Tag& tag, const TableHeader& header, const char* record);

// The 12-byte numeric key of a number.
std::string numericKey(double value);

}  // namespace dbf
