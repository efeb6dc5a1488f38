#pragma once
// Reading our .mdx files back with libdbd-xbase-perl's index_dump.
#include <string>
#include <utility>
#include <vector>

namespace dbf_test {

inline const char* kIndexDump = "/usr/bin/index_dump";

struct DumpedKey {
    std::string key;
    unsigned record = 0;
};

// The tag names index_dump lists for the file.
std::vector<std::string> dumpTagNames(const std::string& mdxPath);
// Every key of one tag in tree order, with its record number; keyLength splits each line.
std::vector<DumpedKey> dumpTag(const std::string& mdxPath, const std::string& tag, std::size_t keyLength);

}  // namespace dbf_test
