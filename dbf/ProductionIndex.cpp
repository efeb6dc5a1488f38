#include "dbf/ProductionIndex.h"

#include <algorithm>

#include "dbf/ByteOrder.h"
#include "dbf/EngineError.h"
#include "dbf/EngineMessages.h"
#include "dbf/MdxBytes.h"
#include "dbf/MdxFormat.h"
#include "dbf/Table.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using namespace mdx;

// Cached nodes beyond this many are dropped (about 16 MB of decoded blocks).
constexpr std::size_t kMaxCachedNodes = 16384;

// Reads what kind of keys a tag holds and how we compute them; a tag we cannot keep gets
// its refusal, naming it and saying why.
void describeTag(ProductionIndex::Tag& tag, const TableHeader& table) {
    const std::string& t = tag.header;
    const std::uint8_t format = readU8(t, kTagKeyFormat);
    tag.keyType = static_cast<char>(readU8(t, kTagKeyType));
    tag.descending = (format & kKeyFormatDescending) != 0;
    tag.distinct = (format & kKeyFormatDistinct) != 0;
    tag.unique = tag.distinct || (format & kKeyFormatUnique) != 0 || readU8(t, kTagUnique) != 0;
    const bool oem = oemText(table);
    const std::string named = "Тег \""_w + tag.name + "\" (" + tag.source + ") ";
    auto refuse = [&](const char* why) {
        if (tag.refusal.empty()) tag.refusal = named + text::utf8ToCp1251(why);
    };
    if (tag.keyType == 'C') {
        try {
            KeyExpression plain = parseKeyExpression(tag.source, table, "");
            if (plain.keyLength == tag.keyLength) tag.plain = std::move(plain);
        } catch (const EngineError&) {
            // Not field concatenation: evaluated below.
        }
    }
    auto expression = Expression::parse(tag.source, table, oem);
    const bool fits = expression && ((tag.keyType == 'C' && expression->kind() == ExprValue::Kind::Text) ||
                                     ((tag.keyType == 'N' || tag.keyType == 'F') &&
                                      expression->kind() == ExprValue::Kind::Number && tag.keyLength == 12));
    if (!tag.plain && fits) tag.expression = std::move(expression);
    if (tag.keyType == 'D')
        refuse("с ключами-датами не поддерживается.");
    else if (!tag.seekable())
        refuse("имеет выражение ключа, которое эта программа не вычисляет.");
    if (readU8(t, kTagHasFilter) != 0) refuse("с условием FOR не поддерживается.");
}

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
        raiseUnsupported("Индекс с размером блока, отличным от 1024 байт, не поддерживается."_w, path);
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
        tag.source = cString(t, kTagExpression, kTagExpressionSize);
        tag.root = readU32(t, kTagRoot);
        tag.keyLength = readU16(t, kTagKeyLength);
        tag.itemLength = readU16(t, kTagItemLength);
        tag.maxKeys = readU16(t, kTagMaxKeys);
        // Other writers fill a leaf to the block's end ((1024 - 8) / item length keys, with no
        // room for the trailing pointer), so that much is the capacity's upper bound.
        if (tag.keyLength < 1 || tag.keyLength > kMaxKeyLength || tag.itemLength < 4 + tag.keyLength ||
            tag.maxKeys < 2 ||
            kNodeItems + static_cast<std::size_t>(tag.maxKeys) * static_cast<std::size_t>(tag.itemLength) >
                kBlockSize)
            index->damaged("неверные размеры ключа тега.");
        if (tag.root < kFirstBlockPage || tag.root + kPagesPerBlock > pages)
            index->damaged("корень тега вне файла.");
        describeTag(tag, table);
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
    if (cachedNodes_ > kMaxCachedNodes) dropCache();
}

void ProductionIndex::dropCache() {
    nodes_.clear();
    cachedNodes_ = 0;
}

ProductionIndex::Node& ProductionIndex::cacheSlot(std::uint32_t page, Node&& n) {
    if (page >= nodes_.size()) nodes_.resize(std::max<std::size_t>(page + 1, fileSize_ / kPageSize + 1));
    std::unique_ptr<Node>& slot = nodes_[page];
    if (slot) {
        *slot = std::move(n);  // in place: references to the cached node stay valid
    } else {
        slot = std::make_unique<Node>(std::move(n));
        ++cachedNodes_;
    }
    return *slot;
}

const ProductionIndex::Node& ProductionIndex::readNode(const Tag& tag, std::uint32_t page) {
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
    // A leaf filled to the block's end has no room for the trailing pointer (0 in a leaf).
    const std::size_t trailingAt = kNodeItems + count * item;
    n.trailing = trailingAt + 4 <= kBlockSize ? readU32(block, trailingAt) : 0;
    return cacheSlot(page, std::move(n));
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
    const std::size_t trailingAt = kNodeItems + n.count() * item;
    if (trailingAt + 4 <= kBlockSize) writeU32(block, trailingAt, n.trailing);
    cacheSlot(page, std::move(n));
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

void ProductionIndex::registerTag(Tag tag) {
    const KeyExpression& expression = *tag.plain;
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

bool ProductionIndex::sync() { return file_.sync(); }

}  // namespace dbf
