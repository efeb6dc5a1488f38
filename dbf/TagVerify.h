#pragma once
// Checks a whole tag of a production index before the table uses it: tree shape, key order
// and that every record is there once. Table's open uses it on every tag.
#include <cstdint>
#include <string>
#include <vector>

#include "dbf/ProductionIndex.h"

namespace dbf {

// Walks the whole tag, checking its structure, order and record numbers; returns the key of
// every record (index = record number - 1). Raises an error when the tag does not cover
// records 1..recordCount exactly once.
std::vector<std::string> collectTagKeys(ProductionIndex& index, std::size_t tag, std::uint32_t recordCount);

}  // namespace dbf
