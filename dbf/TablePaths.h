#pragma once
// Names of the files that belong to a table: its production index beside it.
#include <string>

namespace dbf {

// The table path with its extension replaced by ".mdx" (".mdx" added when it has none).
std::string productionIndexPath(const std::string& tablePath);
// File name without folder and extension.
std::string baseNameOf(const std::string& tablePath);

}  // namespace dbf
