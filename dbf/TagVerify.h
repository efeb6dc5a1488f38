#pragma once
// Checks a whole tag of a production index before the table uses it: tree shape, key order
// and that every record is there once. Table's open uses it on every tag.
#include <cstdint>
#include <string>
#include <vector>

#include "dbf/ProductionIndex.h"

namespace dbf {

// Walks the whole tag, checking its structure, order and record numbers; returns the key of
// every record (index = record number - 1; empty for a record the tag does not hold). Raises
// an error when the tag holds a record twice or one outside the table, and, with
// `everyRecord`, when it does not hold every record. Keys out of our order raise the same
// error, or, given `outOfOrder`, set it (for a tag another writer may have ordered by a
// collation of its own).
std::vector<std::string> collectTagKeys(ProductionIndex& index, std::size_t tag, std::uint32_t recordCount,
                                        bool everyRecord, bool* outOfOrder = nullptr);

}  // namespace dbf
