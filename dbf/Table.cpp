#include "dbf/Table.h"

#include <algorithm>
#include <optional>
#include <set>

#include "dbf/DbfFormat.h"
#include "dbf/DbfHeader.h"
#include "dbf/EngineMessages.h"
#include "dbf/FieldValue.h"
#include "dbf/KeyExpression.h"
#include "dbf/ProductionIndex.h"
#include "dbf/RecordFile.h"
#include "dbf/TagBuilder.h"
#include "dbf/TagCursor.h"
#include "dbf/TagInsert.h"
#include "dbf/TagKey.h"
#include "dbf/TablePaths.h"
#include "dbf/TagVerify.h"
#include "platform/FileHandle.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using platform::FileHandle;

enum class Mode { Browse, Append, SetKey };

// Everything that exists only while the table is open: closing is dropping this.
struct OpenTable {
    OpenTable(const std::string& path, bool exclusive) : records(path, exclusive) {}

    RecordFile records;
    std::unique_ptr<ProductionIndex> index;
    bool indexDamaged = false;
    std::optional<TagCursor> order;  // the selected tag, empty for physical order
    std::optional<TagCursor> probe;  // key searches in the selected tag

    Mode mode = Mode::Browse;
    std::uint32_t current = 0;  // 0 = end of table
    std::string record;         // bytes of the current record
    std::string edit;           // the appended record
    std::string keyBuffer;      // the record that holds the search key
    std::string spare;          // gotoRecord reads into it, then swaps it with the current record
    // Buffers of key searches, kept so repeated seeks allocate nothing.
    std::string seekKey, foundKey, recordKey, seekRecord;
    std::vector<std::string> postKeys;
    std::vector<char> skipKey;

    const std::string& path() const { return records.path(); }
    const TableHeader& header() const { return records.header(); }

    void select(std::size_t tag) {
        order.emplace(*index, tag);
        probe.emplace(*index, tag);
    }

    void requireIndexUsable() const {
        if (indexDamaged) raise("Индекс таблицы повреждён при записи; таблицу нужно открыть заново.", path());
    }

    [[noreturn]] void indexMismatch() const {
        raise("Индекс не соответствует таблице: ключи тега не совпадают с записями.",
              index ? index->path() : path());
    }

    void openIndex(bool exclusive) {
        const std::string mdxPath = productionIndexPath(path());
        if (header().productionIndex == 0 || !platform::fileExists(mdxPath)) return;
        index = ProductionIndex::open(mdxPath, header(), records.writable(),
                                      exclusive ? FileHandle::Share::Exclusive : FileHandle::Share::Shared);
        for (std::size_t t = 0; t < index->tagCount(); ++t)
            if (index->tag(t).maintained()) verifyTag(index->tag(t), t);
    }

    // A tag that does not hold exactly the keys of the records would give wrong seeks: refuse
    // the index so the caller's repair rebuilds it. Only a tag whose key is plain field
    // concatenation proves that, though: where we evaluate an expression, a difference may be
    // ours, so that tag is kept as it is and only refused for seeks and posts.
    void verifyTag(ProductionIndex::Tag& tag, std::size_t t) {
        // Character keys of a table whose language driver orders text by a collation (as other
        // engines do for most drivers) may stand in an order that is not ours: such a tag is
        // kept, not repaired.
        const std::uint8_t language = index->languageDriver();
        const bool byteOrder = tag.keyType != 'C' || language == 0 || language == kLanguageDriverCp1251;
        bool outOfOrder = false;
        const std::vector<std::string> keys =
            collectTagKeys(*index, t, header().recordCount, !tag.unique, byteOrder ? nullptr : &outOfOrder);
        if (outOfOrder) {
            refuseTag(tag, "хранит ключи в порядке, отличном от порядка байтов (порядок языкового драйвера).");
            return;
        }
        std::set<std::string> held;
        if (tag.unique)
            for (const auto& key : keys)
                if (!key.empty()) held.insert(key);
        std::string buffer, key;
        for (std::uint32_t r = 1; r <= header().recordCount; ++r) {
            records.load(r, true, buffer);
            makeTagKey(tag, header(), buffer.data(), key);
            const std::string& stored = keys[r - 1];
            const bool agrees = tag.unique ? (stored.empty() ? isDeletedRecord(buffer) || held.count(key) != 0 : stored == key)
                                           : stored == key;
            if (agrees) continue;
            if (tag.plain) indexMismatch();
            refuseTag(tag, "хранит ключи, которые эта программа вычисляет иначе.");
            return;
        }
    }

    // Keeps a tag as it is, neither sought nor written.
    static void refuseTag(ProductionIndex::Tag& tag, const char* why) {
        tag.plain.reset();
        tag.expression.reset();
        tag.refusal = "Тег \""_w + tag.name + "\" (" + tag.source + ") " + text::utf8ToCp1251(why);
    }

    // --- positioning ---
    void scanPhysical(std::uint32_t from) {
        std::string buffer;
        for (std::uint32_t r = from; r >= 1 && r <= header().recordCount; ++r) {
            records.load(r, true, buffer);
            if (!isDeletedRecord(buffer)) {
                current = r;
                record = std::move(buffer);
                return;
            }
        }
        current = 0;
        record.clear();
    }

    // From the order cursor on, the first entry whose record is not deleted.
    void settleOnTag() {
        std::string buffer;
        while (order->valid()) {
            const std::uint32_t r = order->record();
            if (r < 1 || r > header().recordCount) indexMismatch();
            records.load(r, false, buffer);
            if (!isDeletedRecord(buffer)) {
                current = r;
                record = std::move(buffer);
                return;
            }
            order->next();
        }
        current = 0;
        record.clear();
    }

    // Puts the order cursor on the current record (in a unique tag that does not hold it, on
    // the entry of its key).
    void locate() {
        const std::string key = makeTagKey(order->tag(), header(), record.data());
        order->seek(key);
        while (order->valid() && order->key() == key) {
            if (order->record() == current) return;
            order->next();
        }
        if (order->tag().unique) {
            order->seek(key);
            if (order->valid() && order->key() == key) return;
        }
        indexMismatch();
    }

    void first() {
        mode = Mode::Browse;
        if (order) {
            requireIndexUsable();
            order->seekToFirst();
            settleOnTag();
        } else {
            scanPhysical(1);
        }
    }

    void next() {
        mode = Mode::Browse;
        if (current == 0) return;
        if (!order) {
            scanPhysical(current + 1);
            return;
        }
        requireIndexUsable();
        if (!order->standsOn(current)) locate();
        order->next();
        settleOnTag();
    }

    bool seek(bool exact) {
        if (!order) raise("Для поиска по ключу не выбран тег индекса.", path());
        requireIndexUsable();
        if (keyBuffer.empty()) keyBuffer.assign(header().recordLength, ' ');
        mode = Mode::Browse;
        const ProductionIndex::Tag& tag = order->tag();
        makeTagKey(tag, header(), keyBuffer.data(), seekKey);
        probe->seek(seekKey);
        while (probe->valid()) {
            probe->keyInto(foundKey);
            if (exact && foundKey != seekKey) return false;
            const std::uint32_t r = probe->record();
            if (r < 1 || r > header().recordCount) indexMismatch();
            records.load(r, false, seekRecord);
            if (!isDeletedRecord(seekRecord)) {
                // A tag that disagrees with its record must never pass for a hit.
                makeTagKey(tag, header(), seekRecord.data(), recordKey);
                if (recordKey != foundKey) indexMismatch();
                std::swap(*order, *probe);
                current = r;
                record.swap(seekRecord);
                return true;
            }
            probe->next();
        }
        if (!exact) {
            current = 0;
            record.clear();
        }
        return false;
    }

    // Writes the record, then every tag's key, then the count: a failure leaves the record
    // out of the table.
    void post(bool sync) {
        requireIndexUsable();
        const std::uint32_t number = header().recordCount + 1;
        // Every tag's key first: a post that one of them refuses writes nothing.
        postKeys.resize(index ? index->tagCount() : 0);
        skipKey.assign(postKeys.size(), 0);
        for (std::size_t t = 0; t < postKeys.size(); ++t) {
            const ProductionIndex::Tag& tag = index->tag(t);
            if (!tag.maintained())
                raiseUnsupported("Запись в таблицу отклонена: тег её индекса нельзя обновить. "_w + tag.refusal, path());
            makeTagKey(tag, header(), edit.data(), postKeys[t]);
            if (!tag.unique) continue;
            TagCursor probeTag(*index, t);
            probeTag.seek(postKeys[t]);
            if (!probeTag.valid() || probeTag.key() != postKeys[t]) continue;
            if (tag.distinct)
                raise("Запись в таблицу отклонена: такой ключ уже есть в уникальном теге \""_w + tag.name + "\".", path());
            skipKey[t] = 1;  // dBASE keeps one entry per key value
        }
        records.writeUncounted(edit, sync);
        if (index) {
            try {
                for (std::size_t t = 0; t < index->tagCount(); ++t)
                    if (!skipKey[t]) insertKey(*index, t, postKeys[t], number);
                if (sync && !index->sync()) raise("Ошибка записи индекса на диск.", index->path());
            } catch (...) {
                // The tags may hold part of this record's keys; the next open rebuilds them.
                indexDamaged = true;
                records.dropUncounted();
                throw;
            }
        }
        try {
            records.commitCount(sync);
        } catch (...) {
            if (index) indexDamaged = true;
            throw;
        }
        // Only a table with an index is sought in after its posts (the mapping tables); the
        // records of a table that is only filled (the price table) need not stay in memory.
        if (index) records.keepInMemory(edit);
        mode = Mode::Browse;
        current = number;
        record.swap(edit);  // the old buffer's memory serves the next append
    }

    void addTag(const std::string& name, const std::string& expression, bool sync) {
        if (!records.writable()) raise("Таблица доступна только для чтения.", path());
        // Level 7 indexes lay out their tag table differently; we do not write one.
        if (header().level == 7)
            raiseUnsupported("Новый тег в индексе таблицы dBASE 7 эта программа не создаёт."_w, path());
        requireIndexUsable();
        // A tag of this name that the caller could not select is one we cannot use: replacing
        // it would lose what another program keeps there.
        if (index && index->findTag(name)) raiseUnsupported("Тег \""_w + name + "\" уже есть в индексе.", path());
        const KeyExpression parsed = parseKeyExpression(expression, header(), path());
        std::vector<std::pair<std::string, std::uint32_t>> entries;
        entries.reserve(header().recordCount);
        std::string buffer;
        for (std::uint32_t r = 1; r <= header().recordCount; ++r) {
            records.load(r, true, buffer);
            entries.emplace_back(makeKey(parsed, header(), buffer.data()), r);
        }
        std::sort(entries.begin(), entries.end());
        if (!index)
            index = ProductionIndex::create(productionIndexPath(path()), baseNameOf(path()),
                                            header().languageDriver, FileHandle::Share::Exclusive);
        try {
            buildTag(*index, name, parsed, entries);
        } catch (...) {
            indexDamaged = true;
            throw;
        }
        records.markProductionIndex();
        if (parsed.singleField()) records.markIndexedField(static_cast<std::size_t>(parsed.fields.front()));
        if (sync) {
            index->sync();
            records.sync();
        }
    }
};

const std::vector<FieldDef>& noFields() {
    static const std::vector<FieldDef> none;
    return none;
}

}  // namespace

class Table::Impl {
public:
    // --- the object ---
    std::string folder;
    std::string fileName;
    bool exclusive = false;
    bool syncOnPost = false;
    std::string selectedName;  // as given while inactive, the stored name once resolved
    std::vector<std::string> definitionNames;

    std::optional<OpenTable> open;

    std::string tablePath() const { return platform::joinPath(folder, fileName); }

    OpenTable& requireActive() {
        if (!open) raise("Таблица не открыта.", tablePath());
        return *open;
    }

    void selectIn(OpenTable& t, const std::string& name) {
        const auto found = t.index ? t.index->findTag(name) : std::nullopt;
        if (!found) raise("Тег \""_w + name + "\" не найден в индексе таблицы.", t.path());
        if (!t.index->tag(*found).seekable()) raiseUnsupported(t.index->tag(*found).refusal, t.path());
        t.select(*found);
        selectedName = t.index->tag(*found).name;
    }

    void activate(bool checkTag) {
        if (open) return;
        const std::string path = tablePath();
        if (fileName.empty()) raise("Не задано имя таблицы.", path);
        try {
            open.emplace(path, exclusive);
            open->openIndex(exclusive);
            if (checkTag && !selectedName.empty()) selectIn(*open, selectedName);
        } catch (...) {
            open.reset();  // leaves the object inactive, as it was
            throw;
        }
    }

    void addTag(const std::string& name, const std::string& expression) {
        if (!exclusive)
            raise("Для создания тега индекса таблица должна быть открыта монопольно.", tablePath());
        if (name.empty() || name.size() > 10 || std::any_of(name.begin(), name.end(), [](char c) {
                return static_cast<unsigned char>(c) <= ' ' || c == '+';
            }))
            raise("Недопустимое имя тега \""_w + name + "\".", tablePath());
        const bool wasActive = open.has_value();
        if (!wasActive) activate(false);
        try {
            open->addTag(name, expression, syncOnPost);
        } catch (...) {
            if (!wasActive) open.reset();
            throw;
        }
        if (!wasActive) open.reset();
    }

    void refreshDefinitions() {
        definitionNames.clear();
        if (open) {
            if (open->index)
                for (std::size_t t = 0; t < open->index->tagCount(); ++t)
                    definitionNames.push_back(open->index->tag(t).name);
            return;
        }
        const std::string p = tablePath();
        auto handle = FileHandle::open(p, FileHandle::Access::Read, FileHandle::Share::Shared);
        if (!handle) {
            if (!platform::fileExists(p)) raise("Таблица не найдена.", p);
            raise("Таблица используется другой программой.", p);
        }
        char flag = 0;
        if (!handle->readAt(format::kHeaderProductionIndex, &flag, 1))
            raise("Не удалось прочитать таблицу.", p);
        handle.reset();
        const std::string mdxPath = productionIndexPath(p);
        if (flag != 0 && platform::fileExists(mdxPath))
            definitionNames = ProductionIndex::readTagNames(mdxPath);
    }

    std::size_t fieldIndex(const std::string& name) const {
        if (!open) raise("В таблице нет поля \""_w + name + "\".", tablePath());
        return open->records.fieldIndex(name);
    }
};

Table::Table() : impl_(std::make_unique<Impl>()) {}
Table::~Table() = default;

void Table::setDatabaseName(const std::string& folder) {
    if (impl_->open) raise("Нельзя менять папку открытой таблицы.", impl_->open->path());
    impl_->folder = folder;
}

void Table::setTableName(const std::string& fileName) {
    if (impl_->open) raise("Нельзя менять имя открытой таблицы.", impl_->open->path());
    impl_->fileName = fileName;
}

std::string Table::path() const { return impl_->tablePath(); }

void Table::setExclusive(bool exclusive) {
    if (impl_->open) raise("Режим доступа меняют только у закрытой таблицы.", impl_->open->path());
    impl_->exclusive = exclusive;
}

bool Table::exclusive() const { return impl_->exclusive; }

void Table::open() {
    if (impl_->open) return;
    impl_->activate(true);
    try {
        impl_->open->first();
    } catch (...) {
        impl_->open.reset();
        throw;
    }
}

void Table::close() { impl_->open.reset(); }

bool Table::active() const { return impl_->open.has_value(); }

void Table::createTable(const std::vector<FieldDef>& fields) { createTable(fields, kLanguageDriverCp1251); }

void Table::createTable(const std::vector<FieldDef>& fields, std::uint8_t languageDriver) {
    const std::string p = impl_->tablePath();
    if (impl_->open) raise("Нельзя создать таблицу поверх открытой.", p);
    if (impl_->fileName.empty()) raise("Не задано имя таблицы.", p);
    const TableHeader header = makeHeader(fields, languageDriver, p);
    auto file = FileHandle::create(p, FileHandle::Share::Exclusive);
    if (!file) {
        if (platform::fileExists(p))
            raise("Не удалось создать таблицу: файл используется другой программой.", p);
        raise("Не удалось создать таблицу.", p);
    }
    std::string bytes = encodeHeader(header);
    bytes += static_cast<char>(format::kEndOfFile);
    if (!file->writeAt(0, bytes.data(), bytes.size())) raise("Ошибка записи при создании таблицы.", p);
    // An index left from an earlier table of this name does not describe the new one.
    const std::string mdxPath = productionIndexPath(p);
    if (auto unused = FileHandle::open(mdxPath, FileHandle::Access::Read, FileHandle::Share::Exclusive))
        platform::deleteFile(mdxPath);
}

std::uint8_t Table::languageDriver() const { return impl_->requireActive().header().languageDriver; }

void Table::selectTag(const std::string& name) {
    Impl& t = *impl_;
    if (name.empty()) {
        t.selectedName.clear();
        if (t.open) {
            t.open->order.reset();
            t.open->probe.reset();
        }
        return;
    }
    if (!t.open) {
        t.selectedName = name;
        return;
    }
    t.selectIn(*t.open, name);
}

std::string Table::selectedTag() const { return impl_->selectedName; }

void Table::refreshIndexDefs() { impl_->refreshDefinitions(); }

std::vector<std::string> Table::indexDefNames() const { return impl_->definitionNames; }

void Table::addTag(const std::string& name, const std::string& expression, TagOption option,
                   const std::string& descendingFields) {
    // Only expression tags exist here, and their keys always ascend: the field list that other
    // engines use to make parts of a key descend has nothing to act on.
    (void)option;
    (void)descendingFields;
    impl_->addTag(name, expression);
}

void Table::first() { impl_->requireActive().first(); }
void Table::next() { impl_->requireActive().next(); }

bool Table::eof() const {
    if (!impl_->open) return true;
    if (impl_->open->mode == Mode::Append) return false;
    return impl_->open->current == 0;
}

std::uint32_t Table::recordCount() const { return impl_->requireActive().records.liveCount(); }

std::uint32_t Table::recordNumber() const {
    if (!impl_->open || impl_->open->mode == Mode::Append) return 0;
    return impl_->open->current;
}

void Table::gotoRecord(std::uint32_t recordNumber) {
    OpenTable& t = impl_->requireActive();
    t.mode = Mode::Browse;
    t.records.load(recordNumber, false, t.spare);  // the memory of an earlier record serves again
    t.current = recordNumber;
    t.record.swap(t.spare);
}

void Table::setKey() {
    OpenTable& t = impl_->requireActive();
    t.mode = Mode::SetKey;
    t.keyBuffer.assign(t.header().recordLength, ' ');
}

bool Table::gotoKey() { return impl_->requireActive().seek(true); }
void Table::gotoNearest() { impl_->requireActive().seek(false); }

bool Table::hasField(const std::string& name) const { return impl_->open && impl_->open->records.hasField(name); }

int Table::fieldWidth(const std::string& name) const {
    const std::size_t i = impl_->fieldIndex(name);
    return impl_->open->header().fields[i].width;
}

std::string Table::fieldText(const std::string& name) const {
    const std::size_t i = impl_->fieldIndex(name);
    const OpenTable& t = *impl_->open;
    const std::string* buffer = &t.record;
    if (t.mode == Mode::Append) buffer = &t.edit;
    if (t.mode == Mode::SetKey) buffer = &t.keyBuffer;
    if (buffer->size() != t.header().recordLength) return {};
    return readFieldText(t.header().fields[i], buffer->data() + t.header().offsets[i]);
}

void Table::setFieldText(const std::string& name, const std::string& value) {
    const std::size_t i = impl_->fieldIndex(name);
    OpenTable& t = *impl_->open;
    std::string* buffer = nullptr;
    if (t.mode == Mode::Append) buffer = &t.edit;
    if (t.mode == Mode::SetKey) buffer = &t.keyBuffer;
    if (!buffer) raise("Поле можно изменить только в новой записи или в ключе поиска.", t.path());
    writeFieldText(t.header().fields[i], value, buffer->data() + t.header().offsets[i], t.path());
}

const std::vector<FieldDef>& Table::fields() const {
    return impl_->open ? impl_->open->header().fields : noFields();
}

void Table::append() {
    OpenTable& t = impl_->requireActive();
    if (!t.records.writable()) raise("Таблица доступна только для чтения.", t.path());
    // A blank record is right for the dBASE IV field types; the binary ones of level 7
    // (integer, double, timestamp, ...) would need their own empty values.
    if (t.header().level == 7)
        for (const FieldDef& f : t.header().fields)
            if (std::string("CNFDL").find(f.type) == std::string::npos)
                raiseUnsupported("Запись в таблицу dBASE 7 с полем \""_w + f.name + "\" типа " + f.type +
                                     " эта программа не делает."_w,
                                 t.path());
    t.mode = Mode::Append;
    t.edit.assign(t.header().recordLength, ' ');
}

void Table::post() {
    if (!impl_->open) return;
    OpenTable& t = *impl_->open;
    if (t.mode == Mode::SetKey) {
        t.mode = Mode::Browse;
        return;
    }
    if (t.mode != Mode::Append) return;
    t.post(impl_->syncOnPost);
}

void Table::cancel() {
    if (!impl_->open) return;
    impl_->open->mode = Mode::Browse;
    impl_->open->edit.clear();
}

void Table::setSyncOnPost(bool sync) { impl_->syncOnPost = sync; }

}  // namespace dbf
