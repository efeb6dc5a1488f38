#pragma once
// Builds a new tag of a production index in one pass from keys already sorted: full leaves
// left to right, then each level above them. Table::addTag uses it.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dbf/ProductionIndex.h"

namespace dbf {

// Adds a tag built from (key, record number) pairs sorted by key, then record number.
void buildTag(ProductionIndex& index, const std::string& name, const KeyExpression& expression,
              const std::vector<std::pair<std::string, std::uint32_t>>& sorted);

}  // namespace dbf
