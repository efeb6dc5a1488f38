#pragma once
// The production index file of one table: a dBASE IV .mdx holding B-tree tags. This class is
// the file itself (header, tag table, tag headers and nodes, with the nodes read once kept
// cached); building a tag (TagBuilder), adding a key (TagInsert), checking a tag (TagVerify)
// and walking one (TagCursor) work on it from their own files. Every failure raises
// EngineError naming the file.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dbf/DbfHeader.h"
#include "dbf/KeyExpression.h"
#include "platform/FileHandle.h"

namespace dbf {

class ProductionIndex {
public:
    struct Tag {
        std::string name;  // as stored (upper case)
        KeyExpression expression;
        std::uint32_t headerPage = 0;
        std::string header;  // the tag header block
        std::uint32_t root = 0;
        int keyLength = 0;
        int itemLength = 0;
        int maxKeys = 0;
    };

    struct Node {
        std::vector<std::uint32_t> pointers;
        std::string keys;            // count x key length
        std::uint32_t trailing = 0;  // 0 in a leaf
        bool leaf() const { return trailing == 0; }
        std::size_t count() const { return pointers.size(); }
    };

    // Opens an existing file and resolves its tags against the table's fields. Tags this
    // engine cannot keep up to date (other key types, descending, unique, filtered) and any
    // structural damage in the file header raise an error.
    static std::unique_ptr<ProductionIndex> open(const std::string& path, const TableHeader& table,
                                                 bool writable, platform::FileHandle::Share share);
    // Creates (or empties) the file with no tags.
    static std::unique_ptr<ProductionIndex> create(const std::string& path, const std::string& tableBaseName,
                                                   std::uint8_t languageDriver,
                                                   platform::FileHandle::Share share);
    // Tag names stored in a file, without opening it for the engine's use.
    static std::vector<std::string> readTagNames(const std::string& path);

    ~ProductionIndex();

    const std::string& path() const { return path_; }
    std::size_t tagCount() const { return tags_.size(); }
    const Tag& tag(std::size_t i) const { return tags_[i]; }
    Tag& tag(std::size_t i) { return tags_[i]; }
    std::optional<std::size_t> findTag(const std::string& name) const;  // ignoring case

    // Counts every change of any tag's tree, so a cursor can tell that its path may be stale.
    std::uint64_t generation() const { return generation_; }
    void changed() { ++generation_; }

    bool sync();

    // --- blocks, for the tag operations ---
    [[noreturn]] void damaged(const char* what) const;
    const Node& node(const Tag& tag, std::uint32_t page);
    void writeNode(const Tag& tag, std::uint32_t page, Node node);
    void writeHead();
    void writeTagHeader(Tag& tag);
    std::uint32_t allocateBlock();
    void trimCache();
    void dropCache() { nodes_.clear(); }
    // Appends a tag to the tag table (its blocks already written) and writes the file header.
    void registerTag(Tag tag);
    std::string& head() { return head_; }

private:
    ProductionIndex(std::string path, platform::FileHandle file);
    void writeBlock(std::uint32_t page, const std::string& block);

    std::string path_;
    platform::FileHandle file_;
    std::string head_;  // the first 2048 bytes
    std::vector<Tag> tags_;
    std::unordered_map<std::uint32_t, Node> nodes_;
    std::uint64_t fileSize_ = 0;
    std::uint64_t generation_ = 0;
};

// Deepest tree a tag may have; deeper means a loop in a damaged file.
inline constexpr int kMaxTagDepth = 40;

}  // namespace dbf
