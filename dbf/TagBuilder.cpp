#include "dbf/TagBuilder.h"

#include <algorithm>

#include "dbf/ByteOrder.h"
#include "dbf/EngineMessages.h"
#include "dbf/MdxBytes.h"
#include "dbf/MdxFormat.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using namespace mdx;

int maxKeysFor(int itemLength) {
    return static_cast<int>((kBlockSize - kNodeOverhead) / static_cast<std::size_t>(itemLength));
}
int itemLengthFor(int keyLength) { return 4 + (keyLength + 3) / 4 * 4; }

}  // namespace

void buildTag(ProductionIndex& index, const std::string& name, const KeyExpression& expression,
              const std::vector<std::pair<std::string, std::uint32_t>>& sorted) {
    if (index.tagCount() >= kMaxTags) raise("В индексном файле не может быть больше 47 тегов.", index.path());
    index.trimCache();
    ProductionIndex::Tag tag;
    tag.name = text::upperCase1251(name);
    tag.plain = expression;
    tag.source = expression.text;
    tag.keyLength = expression.keyLength;
    tag.itemLength = itemLengthFor(tag.keyLength);
    tag.maxKeys = maxKeysFor(tag.itemLength);
    tag.headerPage = index.allocateBlock();
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);

    // Leaves left to right, full; then each level above from the last key of every child.
    std::uint32_t nodesWritten = 0;
    struct Child {
        std::uint32_t page;
        std::string lastKey;
    };
    std::vector<Child> level;
    std::size_t at = 0;
    do {
        ProductionIndex::Node leaf;
        const std::size_t take = std::min(sorted.size() - at, static_cast<std::size_t>(tag.maxKeys));
        for (std::size_t i = 0; i < take; ++i) {
            const auto& [key, record] = sorted[at + i];
            if (key.size() != keyLength) raise("Неверная длина ключа индекса.", index.path());
            leaf.pointers.push_back(record);
            leaf.keys += key;
        }
        at += take;
        const std::uint32_t page = index.allocateBlock();
        Child child{page, take ? sorted[at - 1].first : std::string(keyLength, ' ')};
        index.writeNode(tag, page, std::move(leaf));
        ++nodesWritten;
        level.push_back(std::move(child));
    } while (at < sorted.size());
    const std::uint32_t firstLeaf = level.front().page;
    const std::uint32_t lastLeaf = level.back().page;

    const auto fanOut = static_cast<std::size_t>(tag.maxKeys);  // max - 1 keys + the trailing child
    while (level.size() > 1) {
        std::vector<Child> upper;
        std::size_t from = 0;
        while (from < level.size()) {
            std::size_t take = std::min(fanOut, level.size() - from);
            // Never leave a last node with a single child: borrow one from this node.
            if (level.size() - from - take == 1) --take;
            ProductionIndex::Node inner;
            for (std::size_t i = 0; i + 1 < take; ++i) {
                inner.pointers.push_back(level[from + i].page);
                inner.keys += level[from + i].lastKey;
            }
            inner.trailing = level[from + take - 1].page;
            const std::uint32_t page = index.allocateBlock();
            Child child{page, level[from + take - 1].lastKey};
            index.writeNode(tag, page, std::move(inner));
            ++nodesWritten;
            upper.push_back(std::move(child));
            from += take;
        }
        level = std::move(upper);
    }
    tag.root = level.front().page;

    std::string& t = tag.header;
    t.assign(kBlockSize, '\0');
    writeU32(t, kTagPagesUsed, nodesWritten * kPagesPerBlock);
    t[kTagKeyFormat] = static_cast<char>(kKeyFormatString);
    t[kTagKeyType] = 'C';
    t[kTagLanguage] = index.head()[kLanguageDriver];
    writeU16(t, kTagKeyLength, static_cast<std::uint32_t>(tag.keyLength));
    writeU16(t, kTagMaxKeys, static_cast<std::uint32_t>(tag.maxKeys));
    writeU16(t, kTagItemLength, static_cast<std::uint32_t>(tag.itemLength));
    t[kTagChangeCounter] = 1;
    if (expression.text.size() >= kTagExpressionSize) raise("Выражение индекса слишком длинное.", index.path());
    t.replace(kTagExpression, expression.text.size(), expression.text);
    t[kTagHasKeys] = sorted.empty() ? 0 : 1;
    writeU32(t, kTagFirstLeaf, firstLeaf);
    writeU32(t, kTagLastLeaf, lastLeaf);
    stampDate(t, kTagDate);
    t[kTagSingleField] = expression.singleField() ? 1 : 0;
    index.writeTagHeader(tag);
    index.registerTag(std::move(tag));
    index.changed();

}

}  // namespace dbf
