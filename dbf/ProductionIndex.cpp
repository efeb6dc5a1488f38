#include "dbf/ProductionIndex.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <unordered_set>

#include "dbf/ByteOrder.h"
#include "dbf/EngineMessages.h"
#include "dbf/MdxFormat.h"
#include "platform/LocalTime.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using namespace mdx;

// Cached nodes beyond this many are dropped (about 16 MB of decoded blocks).
constexpr std::size_t kMaxCachedNodes = 16384;
// No tag of 47 x 100-byte keys in 4 GB reaches this depth; deeper means a loop.
constexpr int kMaxDepth = 40;

int maxKeysFor(int itemLength) {
    return static_cast<int>((kBlockSize - kNodeOverhead) / static_cast<std::size_t>(itemLength));
}
int itemLengthFor(int keyLength) { return 4 + (keyLength + 3) / 4 * 4; }

void stampDate(std::string& b, std::size_t at) {
    const platform::LocalDateTime local = platform::currentLocalTime();
    b[at] = static_cast<char>(std::clamp(local.year - 1900, 0, 255));
    b[at + 1] = static_cast<char>(local.month);
    b[at + 2] = static_cast<char>(local.day);
}

std::string cString(const std::string& b, std::size_t at, std::size_t size) {
    std::string s = b.substr(at, size);
    const auto end = s.find('\0');
    if (end != std::string::npos) s.resize(end);
    return s;
}

std::uint64_t pageOffset(std::uint32_t page) { return static_cast<std::uint64_t>(page) * kPageSize; }

}  // namespace

ProductionIndex::ProductionIndex(std::string path, platform::FileHandle file)
    : path_(std::move(path)), file_(std::move(file)) {}

ProductionIndex::~ProductionIndex() = default;

void ProductionIndex::damaged(const char* what) const {
    raise("Индекс повреждён: "_w + text::utf8ToCp1251(what), path_);
}

std::vector<std::string> ProductionIndex::readTagNames(const std::string& path) {
    auto file = platform::FileHandle::open(path, platform::FileHandle::Access::Read,
                                           platform::FileHandle::Share::Shared);
    if (!file) raise("Не удалось открыть индексный файл.", path);
    std::string head(kHeadSize, '\0');
    if (!file->readAt(0, head.data(), head.size())) raise("Индексный файл слишком короткий.", path);
    const std::size_t count = readU16(head, kTagCount);
    if (count > kMaxTags || readU8(head, kSlotLength) != kSlotSize)
        raise("Индекс повреждён: неверная таблица тегов.", path);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i)
        names.push_back(cString(head, kFirstSlot + kSlotSize * i + kSlotName, kSlotNameSize));
    return names;
}

std::unique_ptr<ProductionIndex> ProductionIndex::create(const std::string& path,
                                                         const std::string& tableBaseName,
                                                         std::uint8_t languageDriver,
                                                         platform::FileHandle::Share share) {
    auto file = platform::FileHandle::create(path, share);
    if (!file) raise("Не удалось создать индексный файл.", path);
    std::unique_ptr<ProductionIndex> index(new ProductionIndex(path, std::move(*file)));
    std::string& h = index->head_;
    h.assign(kHeadSize, '\0');
    h[kVersion] = static_cast<char>(kVersionDbase4);
    stampDate(h, kCreationDate);
    const std::string name = text::upperCase1251(tableBaseName).substr(0, kTableNameSize);
    std::copy(name.begin(), name.end(), h.begin() + kTableName);
    writeU16(h, kBlockPages, kPagesPerBlock);
    writeU16(h, kBlockBytes, kBlockSize);
    h[kProductionFlag] = 1;
    h[kSlotCount] = static_cast<char>(kSlots);
    h[kSlotLength] = static_cast<char>(kSlotSize);
    h[kNextTagNumber] = 1;
    h[kLanguageDriver] = static_cast<char>(languageDriver);
    writeU32(h, kPageCount, kFirstBlockPage);
    stampDate(h, kUpdateDate);
    h[kAlwaysOne] = 1;
    index->fileSize_ = kHeadSize;
    if (!index->file_.writeAt(0, h.data(), h.size())) raise("Ошибка записи в индексный файл.", path);
    return index;
}

std::unique_ptr<ProductionIndex> ProductionIndex::open(const std::string& path, const TableHeader& table,
                                                       bool writable, platform::FileHandle::Share share) {
    auto file = platform::FileHandle::open(
        path, writable ? platform::FileHandle::Access::ReadWrite : platform::FileHandle::Access::Read, share);
    if (!file)
        raise("Не удалось открыть индексный файл: он не найден или используется другой программой.", path);
    std::unique_ptr<ProductionIndex> index(new ProductionIndex(path, std::move(*file)));
    const auto size = index->file_.size();
    if (!size) raise("Не удалось прочитать индексный файл.", path);
    index->fileSize_ = *size;
    std::string& h = index->head_;
    h.assign(kHeadSize, '\0');
    if (*size < kHeadSize || !index->file_.readAt(0, h.data(), h.size()))
        index->damaged("файл слишком короткий.");
    if (readU16(h, kBlockPages) != kPagesPerBlock || readU16(h, kBlockBytes) != kBlockSize)
        raise("Индекс с размером блока, отличным от 1024 байт, не поддерживается.", path);
    if (readU8(h, kSlotLength) != kSlotSize) index->damaged("неверная длина записи тега.");
    const std::size_t count = readU16(h, kTagCount);
    if (count > kMaxTags) index->damaged("слишком много тегов.");
    const std::uint64_t pages = *size / kPageSize;

    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t slot = kFirstSlot + kSlotSize * i;
        Tag tag;
        tag.name = cString(h, slot + kSlotName, kSlotNameSize);
        tag.headerPage = readU32(h, slot + kSlotHeaderPage);
        if (tag.headerPage < kFirstBlockPage || tag.headerPage + kPagesPerBlock > pages)
            index->damaged("заголовок тега вне файла.");
        tag.header.assign(kBlockSize, '\0');
        if (!index->file_.readAt(pageOffset(tag.headerPage), tag.header.data(), kBlockSize))
            index->damaged("не удалось прочитать заголовок тега.");
        const std::string& t = tag.header;
        const std::string expressionText = cString(t, kTagExpression, kTagExpressionSize);
        const std::string named = "Тег \""_w + tag.name + "\" (" + expressionText + ") ";
        if (readU8(t, kTagKeyType) != 'C' || readU16(t, kTagSecondaryType) != 0)
            raise(named + "не символьный; такие теги не поддерживаются."_w, path);
        if ((readU8(t, kTagKeyFormat) & (kKeyFormatDescending | kKeyFormatUnique)) != 0 ||
            readU8(t, kTagUnique) != 0 || readU8(t, kTagHasFilter) != 0)
            raise(named + "убывающий, уникальный или с условием; такие теги не поддерживаются."_w, path);
        tag.root = readU32(t, kTagRoot);
        tag.keyLength = readU16(t, kTagKeyLength);
        tag.itemLength = readU16(t, kTagItemLength);
        tag.maxKeys = readU16(t, kTagMaxKeys);
        if (tag.keyLength < 1 || tag.keyLength > kMaxKeyLength || tag.itemLength < 4 + tag.keyLength ||
            tag.maxKeys < 2 ||
            kNodeOverhead + static_cast<std::size_t>(tag.maxKeys) * static_cast<std::size_t>(tag.itemLength) >
                kBlockSize)
            index->damaged("неверные размеры ключа тега.");
        if (tag.root < kFirstBlockPage || tag.root + kPagesPerBlock > pages)
            index->damaged("корень тега вне файла.");
        tag.expression = parseKeyExpression(expressionText, table, path);
        if (tag.expression.keyLength != tag.keyLength)
            raise(named + "имеет длину ключа, не совпадающую с полями таблицы."_w, path);
        for (const auto& other : index->tags_)
            if (text::upperCase1251(other.name) == text::upperCase1251(tag.name))
                index->damaged("тег описан дважды.");
        index->tags_.push_back(std::move(tag));
    }
    return index;
}

std::optional<std::size_t> ProductionIndex::findTag(const std::string& name) const {
    const std::string wanted = text::upperCase1251(name);
    for (std::size_t i = 0; i < tags_.size(); ++i)
        if (text::upperCase1251(tags_[i].name) == wanted) return i;
    return std::nullopt;
}

void ProductionIndex::trimCache() {
    if (nodes_.size() > kMaxCachedNodes) nodes_.clear();
}

const ProductionIndex::Node& ProductionIndex::node(const Tag& tag, std::uint32_t page) {
    const auto found = nodes_.find(page);
    if (found != nodes_.end()) return found->second;
    if (page < kFirstBlockPage || pageOffset(page) + kBlockSize > fileSize_)
        damaged("ссылка на блок вне файла.");
    std::string block(kBlockSize, '\0');
    if (!file_.readAt(pageOffset(page), block.data(), kBlockSize)) damaged("не удалось прочитать блок.");
    const std::uint32_t count = readU32(block, kNodeKeyCount);
    if (count > static_cast<std::uint32_t>(tag.maxKeys)) damaged("в блоке больше ключей, чем допустимо.");
    Node n;
    const auto item = static_cast<std::size_t>(tag.itemLength);
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    n.pointers.reserve(count);
    n.keys.reserve(count * keyLength);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kNodeItems + i * item;
        n.pointers.push_back(readU32(block, at));
        n.keys.append(block, at + 4, keyLength);
    }
    n.trailing = readU32(block, kNodeItems + count * item);
    return nodes_.emplace(page, std::move(n)).first->second;
}

void ProductionIndex::writeBlock(std::uint32_t page, const std::string& block) {
    if (!file_.writeAt(pageOffset(page), block.data(), block.size()))
        raise("Ошибка записи в индексный файл.", path_);
    fileSize_ = std::max<std::uint64_t>(fileSize_, pageOffset(page) + block.size());
}

void ProductionIndex::writeNode(const Tag& tag, std::uint32_t page, Node n) {
    std::string block(kBlockSize, '\0');
    const auto item = static_cast<std::size_t>(tag.itemLength);
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    writeU32(block, kNodeKeyCount, static_cast<std::uint32_t>(n.count()));
    for (std::size_t i = 0; i < n.count(); ++i) {
        const std::size_t at = kNodeItems + i * item;
        writeU32(block, at, n.pointers[i]);
        block.replace(at + 4, keyLength, n.keys, i * keyLength, keyLength);
    }
    writeU32(block, kNodeItems + n.count() * item, n.trailing);
    nodes_[page] = std::move(n);
    writeBlock(page, block);
}

void ProductionIndex::writeHead() {
    stampDate(head_, kUpdateDate);
    if (!file_.writeAt(0, head_.data(), head_.size())) raise("Ошибка записи в индексный файл.", path_);
}

void ProductionIndex::writeTagHeader(Tag& tag) {
    writeU32(tag.header, kTagRoot, tag.root);
    writeBlock(tag.headerPage, tag.header);
}

std::uint32_t ProductionIndex::allocateBlock() {
    const std::uint32_t page = readU32(head_, kPageCount);
    if (page > 0xFFFFFFFFu - kPagesPerBlock) raise("Индексный файл слишком большой.", path_);
    writeU32(head_, kPageCount, page + kPagesPerBlock);
    return page;
}

std::string ProductionIndex::keyAt(const Tag& tag, const Node& n, std::size_t i) const {
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    return n.keys.substr(i * keyLength, keyLength);
}

void ProductionIndex::addTag(const std::string& name, const KeyExpression& expression,
                             const std::vector<std::pair<std::string, std::uint32_t>>& sorted) {
    if (tags_.size() >= kMaxTags) raise("В индексном файле не может быть больше 47 тегов.", path_);
    trimCache();
    Tag tag;
    tag.name = text::upperCase1251(name);
    tag.expression = expression;
    tag.keyLength = expression.keyLength;
    tag.itemLength = itemLengthFor(tag.keyLength);
    tag.maxKeys = maxKeysFor(tag.itemLength);
    tag.headerPage = allocateBlock();
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
        Node leaf;
        const std::size_t take = std::min(sorted.size() - at, static_cast<std::size_t>(tag.maxKeys));
        for (std::size_t i = 0; i < take; ++i) {
            const auto& [key, record] = sorted[at + i];
            if (key.size() != keyLength) raise("Неверная длина ключа индекса.", path_);
            leaf.pointers.push_back(record);
            leaf.keys += key;
        }
        at += take;
        const std::uint32_t page = allocateBlock();
        Child child{page, take ? sorted[at - 1].first : std::string(keyLength, ' ')};
        writeNode(tag, page, std::move(leaf));
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
            Node inner;
            for (std::size_t i = 0; i + 1 < take; ++i) {
                inner.pointers.push_back(level[from + i].page);
                inner.keys += level[from + i].lastKey;
            }
            inner.trailing = level[from + take - 1].page;
            const std::uint32_t page = allocateBlock();
            Child child{page, level[from + take - 1].lastKey};
            writeNode(tag, page, std::move(inner));
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
    t[kTagLanguage] = head_[kLanguageDriver];
    writeU16(t, kTagKeyLength, static_cast<std::uint32_t>(tag.keyLength));
    writeU16(t, kTagMaxKeys, static_cast<std::uint32_t>(tag.maxKeys));
    writeU16(t, kTagItemLength, static_cast<std::uint32_t>(tag.itemLength));
    t[kTagChangeCounter] = 1;
    if (expression.text.size() >= kTagExpressionSize) raise("Выражение индекса слишком длинное.", path_);
    t.replace(kTagExpression, expression.text.size(), expression.text);
    t[kTagHasKeys] = sorted.empty() ? 0 : 1;
    writeU32(t, kTagFirstLeaf, firstLeaf);
    writeU32(t, kTagLastLeaf, lastLeaf);
    stampDate(t, kTagDate);
    t[kTagSingleField] = expression.singleField() ? 1 : 0;
    writeTagHeader(tag);

    // The tag table entry, hung into the name tree that walks down from the first tag.
    const std::size_t number = tags_.size() + 1;
    const std::size_t slot = kFirstSlot + kSlotSize * tags_.size();
    writeU32(head_, slot + kSlotHeaderPage, tag.headerPage);
    std::copy(tag.name.begin(),
              tag.name.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(tag.name.size(), 10)),
              head_.begin() + static_cast<std::ptrdiff_t>(slot + kSlotName));
    head_[slot + kSlotKeyFormat] = static_cast<char>(expression.singleField() ? kKeyFormatField : 0);
    head_[slot + kSlotReserved] = static_cast<char>(kSlotReservedValue);
    head_[slot + kSlotKeyType] = 'C';
    if (number > 1) {
        std::size_t current = 1;
        for (int guard = 0; guard < static_cast<int>(kMaxTags); ++guard) {
            const std::size_t currentSlot = kFirstSlot + kSlotSize * (current - 1);
            const std::string currentName = cString(head_, currentSlot + kSlotName, kSlotNameSize);
            const std::size_t branch = tag.name < currentName ? kSlotLeftThread : kSlotRightThread;
            const std::size_t nextNumber = readU8(head_, currentSlot + branch);
            if (nextNumber == 0 || nextNumber >= number) {
                head_[currentSlot + branch] = static_cast<char>(number);
                head_[slot + kSlotParentThread] = static_cast<char>(current);
                break;
            }
            current = nextNumber;
        }
    }
    writeU16(head_, kTagCount, static_cast<std::uint32_t>(number));
    head_[kNextTagNumber] = static_cast<char>(number + 1);
    tags_.push_back(std::move(tag));
    writeHead();
}

void ProductionIndex::insert(std::size_t tagIndex, const std::string& key, std::uint32_t recordNumber) {
    Tag& tag = tags_[tagIndex];
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    if (key.size() != keyLength) raise("Неверная длина ключа индекса.", path_);
    trimCache();

    // Down to the leaf: the first child whose largest key is greater, else the rightmost.
    std::vector<std::pair<std::uint32_t, std::size_t>> path;
    std::uint32_t page = tag.root;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth) damaged("цикл в дереве тега.");
        const Node& n = node(tag, page);
        // First item whose key is greater (binary search over the fixed-width keys).
        std::size_t i = 0, hi = n.count();
        while (i < hi) {
            const std::size_t mid = (i + hi) / 2;
            if (std::memcmp(n.keys.data() + mid * keyLength, key.data(), keyLength) <= 0)
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

    std::vector<std::pair<std::uint32_t, Node>> pending;  // new blocks first, then changed ones
    std::vector<std::pair<std::uint32_t, Node>> changed;
    bool newPages = false;
    std::uint32_t newLastLeaf = 0;

    // Insert into the leaf; split while a node overflows, carrying (left page, left's last key).
    Node current = node(tag, path.back().first);
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
        Node left, right;
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
        const std::uint32_t rightPage = allocateBlock();
        newPages = true;
        if (isLeaf && readU32(tag.header, kTagLastLeaf) == currentPage) newLastLeaf = rightPage;
        pending.emplace_back(rightPage, std::move(right));
        changed.emplace_back(currentPage, std::move(left));
        writeU32(tag.header, kTagPagesUsed, readU32(tag.header, kTagPagesUsed) + kPagesPerBlock);

        if (level == 0) {
            Node root;
            root.pointers.push_back(currentPage);
            root.keys = upKey;
            root.trailing = rightPage;
            const std::uint32_t rootPage = allocateBlock();
            writeU32(tag.header, kTagPagesUsed, readU32(tag.header, kTagPagesUsed) + kPagesPerBlock);
            pending.emplace_back(rootPage, std::move(root));
            tag.root = rootPage;
            break;
        }
        // In the parent, the item that led here now leads to the left part under its last key;
        // the next item (or the trailing pointer) leads to the right part with the old key.
        const std::size_t at = path[level - 1].second;
        current = node(tag, path[level - 1].first);
        current.pointers.insert(current.pointers.begin() + static_cast<std::ptrdiff_t>(at), currentPage);
        current.keys.insert(at * keyLength, upKey);
        if (at + 1 < current.count())
            current.pointers[at + 1] = rightPage;
        else
            current.trailing = rightPage;
    }

    for (auto& [p, n] : pending) writeNode(tag, p, std::move(n));
    if (newPages) writeHead();
    for (auto& [p, n] : changed) writeNode(tag, p, std::move(n));
    // The tag header changes only with the tree's shape (or its first key); leaving it alone
    // otherwise keeps a post to one write per tag.
    if (newPages || tag.header[kTagHasKeys] == 0) {
        if (newLastLeaf != 0) writeU32(tag.header, kTagLastLeaf, newLastLeaf);
        tag.header[kTagChangeCounter] =
            static_cast<char>(static_cast<unsigned char>(tag.header[kTagChangeCounter]) + 1);
        tag.header[kTagHasKeys] = 1;
        writeTagHeader(tag);
    }
}

std::vector<std::string> ProductionIndex::collectKeys(std::size_t tagIndex, std::uint32_t recordCount) {
    const Tag& tag = tags_[tagIndex];
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    nodes_.clear();
    std::vector<std::string> keys(recordCount);
    std::unordered_set<std::uint32_t> visited;
    int leafDepth = -1;
    std::string previousKey;
    std::uint32_t previousRecord = 0;
    std::size_t seen = 0;

    struct Frame {
        std::uint32_t page;
        int depth;
        std::string lower, upper;
    };
    // Depth-first, left to right, with an explicit stack so a hostile file cannot exhaust ours.
    std::vector<Frame> stack;
    stack.push_back({tag.root, 0, {}, {}});
    while (!stack.empty()) {
        Frame f = std::move(stack.back());
        stack.pop_back();
        if (f.depth > kMaxDepth || !visited.insert(f.page).second) damaged("цикл в дереве тега.");
        const Node n = node(tag, f.page);  // a copy: the cache may be trimmed below us
        for (std::size_t i = 0; i < n.count(); ++i) {
            const std::string key = n.keys.substr(i * keyLength, keyLength);
            if ((!f.lower.empty() && key < f.lower) || (!f.upper.empty() && key > f.upper))
                damaged("ключ вне границ своего узла.");
            if (!n.leaf() && i > 0 && key < n.keys.substr((i - 1) * keyLength, keyLength))
                damaged("нарушен порядок ключей.");
        }
        if (n.leaf()) {
            if (leafDepth < 0) leafDepth = f.depth;
            if (leafDepth != f.depth) damaged("листья на разной глубине.");
            for (std::size_t i = 0; i < n.count(); ++i) {
                const std::string key = n.keys.substr(i * keyLength, keyLength);
                const std::uint32_t record = n.pointers[i];
                if (seen > 0 && (key < previousKey || (key == previousKey && record <= previousRecord)))
                    damaged("нарушен порядок ключей.");
                if (record < 1 || record > recordCount) damaged("ссылка на запись вне таблицы.");
                if (!keys[record - 1].empty()) damaged("запись указана дважды.");
                keys[record - 1] = key;
                previousKey = key;
                previousRecord = record;
                ++seen;
            }
            continue;
        }
        // Children pushed right to left so the leftmost is walked first.
        for (std::size_t k = n.count() + 1; k-- > 0;) {
            Frame child;
            child.page = k < n.count() ? n.pointers[k] : n.trailing;
            child.depth = f.depth + 1;
            child.lower = k > 0 ? n.keys.substr((k - 1) * keyLength, keyLength) : f.lower;
            child.upper = k < n.count() ? n.keys.substr(k * keyLength, keyLength) : f.upper;
            stack.push_back(std::move(child));
        }
        if (stack.size() > 1'000'000) damaged("слишком много узлов.");
    }
    if (seen != recordCount) damaged("число ключей тега не совпадает с числом записей таблицы.");
    return keys;
}

bool ProductionIndex::descendLeftmost(const Tag& tag, std::uint32_t page, Cursor& cursor) {
    for (int depth = 0;; ++depth) {
        if (cursor.path.size() > static_cast<std::size_t>(kMaxDepth) || depth > kMaxDepth)
            damaged("цикл в дереве тега.");
        const Node& n = node(tag, page);
        cursor.path.emplace_back(page, 0);
        if (n.leaf()) return true;
        page = n.count() > 0 ? n.pointers[0] : n.trailing;
    }
}

// Moves a cursor that stands past the end of its leaf to the next existing item.
bool ProductionIndex::settle(std::size_t tagIndex, Cursor& cursor) {
    const Tag& tag = tags_[tagIndex];
    while (!cursor.path.empty()) {
        const auto [page, item] = cursor.path.back();
        const Node& n = node(tag, page);
        if (n.leaf()) {
            if (item < n.count()) return cursor.valid = true;
            cursor.path.pop_back();
            continue;
        }
        if (item + 1 > n.count()) {  // the trailing child was the last one
            cursor.path.pop_back();
            continue;
        }
        cursor.path.back().second = item + 1;
        const std::uint32_t child = item + 1 < n.count() ? n.pointers[item + 1] : n.trailing;
        descendLeftmost(tag, child, cursor);
    }
    return cursor.valid = false;
}

bool ProductionIndex::first(std::size_t tagIndex, Cursor& cursor) {
    trimCache();
    cursor = Cursor{};
    descendLeftmost(tags_[tagIndex], tags_[tagIndex].root, cursor);
    return settle(tagIndex, cursor);
}

bool ProductionIndex::lowerBound(std::size_t tagIndex, const std::string& key, Cursor& cursor) {
    trimCache();
    cursor.path.clear();
    cursor.valid = false;
    const Tag& tag = tags_[tagIndex];
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    std::string copy;
    if (key.size() != keyLength) {
        copy = key;
        copy.resize(keyLength, ' ');
    }
    const std::string& padded = key.size() == keyLength ? key : copy;
    std::uint32_t page = tag.root;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth) damaged("цикл в дереве тега.");
        const Node& n = node(tag, page);
        // First item whose key is not less: binary search over the fixed-width keys.
        std::size_t lo = 0, hi = n.count();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (std::memcmp(n.keys.data() + mid * keyLength, padded.data(), keyLength) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        cursor.path.emplace_back(page, lo);
        if (n.leaf()) break;
        page = lo < n.count() ? n.pointers[lo] : n.trailing;
    }
    return settle(tagIndex, cursor);
}

bool ProductionIndex::next(std::size_t tagIndex, Cursor& cursor) {
    if (!cursor.valid || cursor.path.empty()) return cursor.valid = false;
    trimCache();
    cursor.path.back().second += 1;
    return settle(tagIndex, cursor);
}

std::uint32_t ProductionIndex::recordOf(std::size_t tagIndex, const Cursor& cursor) {
    const auto [page, item] = cursor.path.back();
    return node(tags_[tagIndex], page).pointers.at(item);
}

void ProductionIndex::keyInto(std::size_t tagIndex, const Cursor& cursor, std::string& key) {
    const auto [page, item] = cursor.path.back();
    const Tag& tag = tags_[tagIndex];
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    key.assign(node(tag, page).keys, item * keyLength, keyLength);
}

std::string ProductionIndex::keyOf(std::size_t tagIndex, const Cursor& cursor) {
    const auto [page, item] = cursor.path.back();
    const Tag& tag = tags_[tagIndex];
    return keyAt(tag, node(tag, page), item);
}

bool ProductionIndex::sync() { return file_.sync(); }

}  // namespace dbf
