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
#include <utility>
#include <vector>

#include "dbf/DbfHeader.h"
#include "dbf/Expression.h"
#include "dbf/KeyExpression.h"
#include "platform/FileHandle.h"

namespace dbf {

class ProductionIndex {
public:
    struct Tag {
        std::string name;  // as stored (upper case)
        std::string source;  // the key expression as stored
        std::uint32_t headerPage = 0;
        std::string header;  // the tag header block
        std::uint32_t root = 0;
        int keyLength = 0;
        int itemLength = 0;
        int maxKeys = 0;
        char keyType = 'C';       // 'C', or 'N'/'F' for numeric keys, 'D' for dates
        bool descending = false;  // keys in falling order
        bool unique = false;      // one entry per key value
        bool distinct = false;    // a second record with a key present is refused
        // How a record's key is computed: field concatenation (the fast way), or any other
        // expression we can evaluate. Neither: the tag is neither sought nor written.
        std::optional<KeyExpression> plain;
        std::optional<Expression> expression;
        // Why we cannot keep this tag up to date: a post to the table is refused, and the tag
        // is left as it is. Empty for a tag we maintain.
        std::string refusal;

        bool seekable() const { return plain.has_value() || expression.has_value(); }
        bool maintained() const { return refusal.empty(); }
    };

    struct Node {
        std::vector<std::uint32_t> pointers;
        std::string keys;            // count x key length
        std::uint32_t trailing = 0;  // 0 in a leaf
        bool leaf() const { return trailing == 0; }
        std::size_t count() const { return pointers.size(); }
    };

    // Opens an existing file and resolves its tags against the table's fields. A tag this
    // engine cannot keep up to date is kept with its refusal; structural damage in the file
    // header or a tag header raises an error, a block size other than 1024 an unsupported one.
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
    std::uint8_t languageDriver() const { return static_cast<std::uint8_t>(head_[31]); }

    // Counts every change of any tag's tree, so a cursor can tell that its path may be stale.
    std::uint64_t generation() const { return generation_; }
    void changed() { ++generation_; }

    bool sync();

    // --- blocks, for the tag operations ---
    [[noreturn]] void damaged(const char* what) const;
    // The node of a page, decoded once and then kept (found by indexing: seeks ask for one
    // per level).
    const Node& node(const Tag& tag, std::uint32_t page) {
        if (page < nodes_.size() && nodes_[page]) return *nodes_[page];
        return readNode(tag, page);
    }
    void writeNode(const Tag& tag, std::uint32_t page, Node node);
    void writeHead();
    void writeTagHeader(Tag& tag);
    std::uint32_t allocateBlock();
    void trimCache();
    void dropCache();
    // Appends a tag to the tag table (its blocks already written) and writes the file header.
    void registerTag(Tag tag);
    std::string& head() { return head_; }

private:
    ProductionIndex(std::string path, platform::FileHandle file);
    void writeBlock(std::uint32_t page, const std::string& block);
    Node& cacheSlot(std::uint32_t page, Node&& node);
    const Node& readNode(const Tag& tag, std::uint32_t page);

    std::string path_;
    platform::FileHandle file_;
    std::string head_;  // the first 2048 bytes
    std::vector<Tag> tags_;
    // Decoded nodes by page number, so a seek finds each level's node by indexing (a block
    // takes two pages, so half the slots stay empty: one pointer per 512 bytes of the file).
    std::vector<std::unique_ptr<Node>> nodes_;
    std::size_t cachedNodes_ = 0;
    std::uint64_t fileSize_ = 0;
    std::uint64_t generation_ = 0;
};

// Deepest tree a tag may have; deeper means a loop in a damaged file.
inline constexpr int kMaxTagDepth = 40;

}  // namespace dbf
