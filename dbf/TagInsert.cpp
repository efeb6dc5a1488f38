#include "dbf/TagInsert.h"

#include <cstring>

#include "dbf/ByteOrder.h"
#include "dbf/EngineMessages.h"
#include "dbf/MdxFormat.h"
#include "dbf/TagKey.h"

namespace dbf {

using namespace mdx;

void insertKey(ProductionIndex& index, std::size_t tagIndex, const std::string& key, std::uint32_t recordNumber) {
    ProductionIndex::Tag& tag = index.tag(tagIndex);
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    if (key.size() != keyLength) raise("Неверная длина ключа индекса.", index.path());
    index.trimCache();

    // Down to the leaf: the first child whose largest key is greater, else the rightmost.
    std::vector<std::pair<std::uint32_t, std::size_t>> path;
    std::uint32_t page = tag.root;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxTagDepth) index.damaged("цикл в дереве тега.");
        const ProductionIndex::Node& n = index.node(tag, page);
        // First item whose key is greater (binary search over the fixed-width keys).
        std::size_t i = 0, hi = n.count();
        while (i < hi) {
            const std::size_t mid = (i + hi) / 2;
            if (compareKeys(tag, n.keys.data() + mid * keyLength, key.data()) <= 0)
                i = mid + 1;
            else
                hi = mid;
        }
        if (n.leaf()) {
            path.emplace_back(page, i);
            break;
        }
        path.emplace_back(page, i);
        page = i < n.count() ? n.pointers[i] : n.trailing;
    }

    index.changed();
    std::vector<std::pair<std::uint32_t, ProductionIndex::Node>> pending;  // new blocks first, then changed ones
    std::vector<std::pair<std::uint32_t, ProductionIndex::Node>> changed;
    bool newPages = false;
    std::uint32_t newLastLeaf = 0;

    // Insert into the leaf; split while a node overflows, carrying (left page, left's last key).
    ProductionIndex::Node current = index.node(tag, path.back().first);
    const std::size_t position = path.back().second;
    current.pointers.insert(current.pointers.begin() + static_cast<std::ptrdiff_t>(position), recordNumber);
    current.keys.insert(position * keyLength, key);
    const std::size_t lastLevel = path.size() - 1;
    for (std::size_t level = lastLevel;; --level) {
        const std::uint32_t currentPage = path[level].first;
        const bool isLeaf = level == lastLevel;
        const std::size_t limit = static_cast<std::size_t>(tag.maxKeys) - (isLeaf ? 0 : 1);
        if (current.count() <= limit) {
            changed.emplace_back(currentPage, std::move(current));
            break;
        }
        // Split: the old block keeps the left part, a new block takes the right part.
        ProductionIndex::Node left, right;
        std::string upKey;
        const std::size_t n = current.count();
        if (isLeaf) {
            const std::size_t keepLeft = (position == n - 1) ? n - 1 : n / 2;  // appending: keep left full
            left.pointers.assign(current.pointers.begin(),
                                 current.pointers.begin() + static_cast<std::ptrdiff_t>(keepLeft));
            left.keys = current.keys.substr(0, keepLeft * keyLength);
            right.pointers.assign(current.pointers.begin() + static_cast<std::ptrdiff_t>(keepLeft),
                                  current.pointers.end());
            right.keys = current.keys.substr(keepLeft * keyLength);
            upKey = left.keys.substr((keepLeft - 1) * keyLength, keyLength);
        } else {
            const std::size_t middle = n / 2;
            left.pointers.assign(current.pointers.begin(),
                                 current.pointers.begin() + static_cast<std::ptrdiff_t>(middle));
            left.keys = current.keys.substr(0, middle * keyLength);
            left.trailing = current.pointers[middle];
            upKey = current.keys.substr(middle * keyLength, keyLength);
            right.pointers.assign(current.pointers.begin() + static_cast<std::ptrdiff_t>(middle + 1),
                                  current.pointers.end());
            right.keys = current.keys.substr((middle + 1) * keyLength);
            right.trailing = current.trailing;
        }
        const std::uint32_t rightPage = index.allocateBlock();
        newPages = true;
        if (isLeaf && readU32(tag.header, kTagLastLeaf) == currentPage) newLastLeaf = rightPage;
        pending.emplace_back(rightPage, std::move(right));
        changed.emplace_back(currentPage, std::move(left));
        writeU32(tag.header, kTagPagesUsed, readU32(tag.header, kTagPagesUsed) + kPagesPerBlock);

        if (level == 0) {
            ProductionIndex::Node root;
            root.pointers.push_back(currentPage);
            root.keys = upKey;
            root.trailing = rightPage;
            const std::uint32_t rootPage = index.allocateBlock();
            writeU32(tag.header, kTagPagesUsed, readU32(tag.header, kTagPagesUsed) + kPagesPerBlock);
            pending.emplace_back(rootPage, std::move(root));
            tag.root = rootPage;
            break;
        }
        // In the parent, the item that led here now leads to the left part under its last key;
        // the next item (or the trailing pointer) leads to the right part with the old key.
        const std::size_t at = path[level - 1].second;
        current = index.node(tag, path[level - 1].first);
        current.pointers.insert(current.pointers.begin() + static_cast<std::ptrdiff_t>(at), currentPage);
        current.keys.insert(at * keyLength, upKey);
        if (at + 1 < current.count())
            current.pointers[at + 1] = rightPage;
        else
            current.trailing = rightPage;
    }

    for (auto& [p, n] : pending) index.writeNode(tag, p, std::move(n));
    if (newPages) index.writeHead();
    for (auto& [p, n] : changed) index.writeNode(tag, p, std::move(n));
    // The tag header changes only with the tree's shape (or its first key); leaving it alone
    // otherwise keeps a post to one write per tag.
    if (newPages || tag.header[kTagHasKeys] == 0) {
        if (newLastLeaf != 0) writeU32(tag.header, kTagLastLeaf, newLastLeaf);
        tag.header[kTagChangeCounter] =
            static_cast<char>(static_cast<unsigned char>(tag.header[kTagChangeCounter]) + 1);
        tag.header[kTagHasKeys] = 1;
        index.writeTagHeader(tag);
    }
}

}  // namespace dbf
