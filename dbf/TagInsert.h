#pragma once
// Adds one record's key to a tag of a production index, splitting full nodes up to the root.
// Table's post uses it for every tag.
#include <cstdint>
#include <string>

#include "dbf/ProductionIndex.h"

namespace dbf {

// Adds one key of a record that is newer than every record in the tag.
void insertKey(ProductionIndex& index, std::size_t tag, const std::string& key, std::uint32_t recordNumber);

}  // namespace dbf
