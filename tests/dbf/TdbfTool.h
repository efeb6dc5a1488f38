#pragma once
// Runs the TDbf helper (tests/dbf/tdbf/tdbftool.pas, built with the tests when Free Pascal is
// installed): tables and production indexes written and walked by an engine independent of ours.
#include <cstdint>
#include <string>
#include <vector>

namespace dbf_test {

bool haveTdbfTool();

// The fixture: table `name` in `folder` with five records and a tag of every kind (names as
// kTdbfTags), written by TDbf at `level` (4 or 7) with language driver `language`.
void tdbfMake(const std::string& folder, const std::string& name, int level, int language);

// Appends `count` rows to the fixture through TDbf (falling and repeating keys).
void tdbfGrow(const std::string& folder, const std::string& name, int count);

// Removes a tag through TDbf.
void tdbfDrop(const std::string& folder, const std::string& name, const std::string& tag);

// Record numbers in the order TDbf walks the tag.
std::vector<std::uint32_t> tdbfWalk(const std::string& folder, const std::string& name, const std::string& tag);

// The fixture's tags, with their expressions and options in tdbftool.pas.
inline const std::vector<std::string> kTdbfTags = {"NAME",  "SHORT",  "NAMEDESC", "CODEUNIQ", "PRICE",
                                                   "QTYDESC", "UPNAME", "DAYCODE", "SUBSTR"};

}  // namespace dbf_test
