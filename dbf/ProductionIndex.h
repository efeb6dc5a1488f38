#pragma once
// The production index of one table: a dBASE IV .mdx file holding B-tree tags over character
// key expressions. Table opens it with the table, keeps every tag up to date on each posted
// record and walks a tag for ordered navigation and key search. Nodes read once stay cached,
// so repeated seeks do not touch the disk. Every failure raises EngineError naming the file.
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

    // A position in one tag: the path of (page, item) from the root to a leaf item.
    struct Cursor {
        std::vector<std::pair<std::uint32_t, std::size_t>> path;
        bool valid = false;
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
    std::optional<std::size_t> findTag(const std::string& name) const;  // ignoring case

    // Adds a tag built from (key, record number) pairs sorted by key, then record number.
    void addTag(const std::string& name, const KeyExpression& expression,
                const std::vector<std::pair<std::string, std::uint32_t>>& sorted);
    // Adds one key of a record that is newer than every record in the tag.
    void insert(std::size_t tag, const std::string& key, std::uint32_t recordNumber);

    // Walks the whole tag, checking its structure, order and record numbers; returns the key of
    // every record (index = record number - 1). Raises an error when the tag does not cover
    // records 1..recordCount exactly once.
    std::vector<std::string> collectKeys(std::size_t tag, std::uint32_t recordCount);

    bool first(std::size_t tag, Cursor& cursor);
    bool lowerBound(std::size_t tag, const std::string& key, Cursor& cursor);  // first key >= key
    bool next(std::size_t tag, Cursor& cursor);
    std::uint32_t recordOf(std::size_t tag, const Cursor& cursor);
    std::string keyOf(std::size_t tag, const Cursor& cursor);
    void keyInto(std::size_t tag, const Cursor& cursor, std::string& key);

    bool sync();

private:
    struct Node {
        std::vector<std::uint32_t> pointers;
        std::string keys;            // count x key length
        std::uint32_t trailing = 0;  // 0 in a leaf
        bool leaf() const { return trailing == 0; }
        std::size_t count() const { return pointers.size(); }
    };

    ProductionIndex(std::string path, platform::FileHandle file);
    [[noreturn]] void damaged(const char* what) const;
    const Node& node(const Tag& tag, std::uint32_t page);
    void writeNode(const Tag& tag, std::uint32_t page, Node node);
    void writeBlock(std::uint32_t page, const std::string& block);
    void writeHead();
    void writeTagHeader(Tag& tag);
    std::uint32_t allocateBlock();
    std::string keyAt(const Tag& tag, const Node& n, std::size_t i) const;
    bool descendLeftmost(const Tag& tag, std::uint32_t page, Cursor& cursor);
    bool settle(std::size_t tag, Cursor& cursor);
    void trimCache();

    std::string path_;
    platform::FileHandle file_;
    std::string head_;  // the first 2048 bytes
    std::vector<Tag> tags_;
    std::unordered_map<std::uint32_t, Node> nodes_;
    std::uint64_t fileSize_ = 0;
};

}  // namespace dbf
