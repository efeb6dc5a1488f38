#include "dbf/Table.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <unordered_map>

#include "dbf/DbfFormat.h"
#include "dbf/DbfHeader.h"
#include "dbf/EngineMessages.h"
#include "dbf/FieldValue.h"
#include "dbf/KeyExpression.h"
#include "dbf/ProductionIndex.h"
#include "dbf/TablePaths.h"
#include "platform/FileHandle.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using platform::FileHandle;

// Records read ahead at once during physical scans.
constexpr std::size_t kReadAheadBytes = 64 * 1024;
// A table whose records take at most this many bytes is held in memory while open (read once
// at open, grown by every post to a table with an index), so seeks in a mapping table never
// wait for the disk: a code mapping table of 100,000 rows takes about 11 MB. Records never
// change once posted.
constexpr std::uint64_t kImageBytes = 16 * 1024 * 1024;

bool isDeleted(const std::string& record) { return !record.empty() && record[0] == format::kRecordDeleted; }

}  // namespace

class Table::Impl {
public:
    enum class Mode { Browse, Append, SetKey };

    // --- the object ---
    std::string folder;
    std::string fileName;
    bool exclusive = false;
    bool syncOnPost = false;
    std::string selectedName;  // as given while inactive, the stored name once resolved
    std::vector<std::string> definitionNames;

    // --- the open table ---
    bool active = false;
    std::string path;
    std::optional<FileHandle> file;
    bool writable = false;
    TableHeader header;
    std::unordered_map<std::string, std::size_t> fieldByName;  // upper-case names
    // Fields are mostly named one after another in the same order (a record being filled), so
    // the field after the one named last is tried first. It is taken only under a name that
    // the map gives it as well (fieldByName[upper-case stored name] is the field itself).
    std::vector<char> ownName;
    mutable std::size_t nextField = 0;
    bool dateStamped = false;
    std::optional<std::uint32_t> liveCount;

    Mode mode = Mode::Browse;
    std::uint32_t current = 0;  // 0 = end of table
    std::string record;         // bytes of the current record
    std::string edit;           // the appended record
    std::string keyBuffer;      // the record that holds the search key

    std::string chunk;
    std::uint32_t chunkFirst = 0;
    std::uint32_t chunkRecords = 0;
    std::string image;  // records 1..imageRecords end to end
    std::uint32_t imageRecords = 0;
    std::string postBuffer;
    std::string spare;  // gotoRecord reads into it, then swaps it with the current record

    std::unique_ptr<ProductionIndex> index;
    bool indexDamaged = false;
    std::optional<std::size_t> tag;
    ProductionIndex::Cursor cursor;
    bool cursorStale = false;
    // Buffers of key searches, kept so repeated seeks allocate nothing.
    struct SeekBuffers {
        std::string key, foundKey, recordKey, record;
        ProductionIndex::Cursor cursor;
    } seek_;

    std::string tablePath() const { return platform::joinPath(folder, fileName); }

    void requireActive() const {
        if (!active) raise("Таблица не открыта.", tablePath());
    }

    void requireIndexUsable() const {
        if (indexDamaged) raise("Индекс таблицы повреждён при записи; таблицу нужно открыть заново.", path);
    }

    [[noreturn]] void indexMismatch() const {
        raise("Индекс не соответствует таблице: ключи тега не совпадают с записями.",
              index ? index->path() : path);
    }

    void reset() {
        active = false;
        file.reset();
        index.reset();
        indexDamaged = false;
        header = TableHeader{};
        fieldByName.clear();
        ownName.clear();
        nextField = 0;
        dateStamped = false;
        liveCount.reset();
        mode = Mode::Browse;
        current = 0;
        record.clear();
        edit.clear();
        keyBuffer.clear();
        chunk.clear();
        chunkFirst = chunkRecords = 0;
        image.clear();
        image.shrink_to_fit();
        imageRecords = 0;
        postBuffer.clear();
        tag.reset();
        cursor = {};
        cursorStale = false;
    }

    std::size_t fieldIndex(const std::string& name) const {
        const std::size_t next = nextField < ownName.size() ? nextField : 0;  // then the first again
        if (next < ownName.size() && ownName[next] && header.fields[next].name == name) {
            nextField = next + 1;
            return next;
        }
        auto found = fieldByName.find(name);
        if (found == fieldByName.end()) found = fieldByName.find(text::upperCase1251(name));
        if (found == fieldByName.end())
            raise("В таблице нет поля \""_w + name + "\".", active ? path : tablePath());
        nextField = found->second + 1;
        return found->second;
    }

    // Reads a record into `into`; `sequential` reads ahead for physical scans.
    void load(std::uint32_t number, bool sequential, std::string& into) {
        if (number < 1 || number > header.recordCount) raise("Номер записи вне таблицы.", path);
        const std::size_t length = header.recordLength;
        if (number <= imageRecords) {
            into.assign(image, static_cast<std::size_t>(number - 1) * length, length);
            return;
        }
        if (number >= chunkFirst && number < chunkFirst + chunkRecords) {
            into.assign(chunk, static_cast<std::size_t>(number - chunkFirst) * length, length);
            return;
        }
        const std::uint64_t offset = header.headerLength + static_cast<std::uint64_t>(number - 1) * length;
        if (sequential) {
            const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(
                header.recordCount - number + 1, std::max<std::size_t>(1, kReadAheadBytes / length)));
            chunk.resize(static_cast<std::size_t>(count) * length);
            if (!file->readAt(offset, chunk.data(), chunk.size())) {
                chunkRecords = 0;
                raise("Ошибка чтения таблицы.", path);
            }
            chunkFirst = number;
            chunkRecords = count;
            into.assign(chunk, 0, length);
            return;
        }
        into.resize(length);
        if (!file->readAt(offset, into.data(), length)) raise("Ошибка чтения таблицы.", path);
    }

    void readImage() {
        const std::uint64_t bytes = static_cast<std::uint64_t>(header.recordCount) * header.recordLength;
        if (bytes > kImageBytes) return;
        image.resize(static_cast<std::size_t>(bytes));
        if (!file->readAt(header.headerLength, image.data(), image.size())) raise("Ошибка чтения таблицы.", path);
        imageRecords = header.recordCount;
    }

    std::string blankRecord() const { return std::string(header.recordLength, ' '); }

    void openFile() {
        path = tablePath();
        if (fileName.empty()) raise("Не задано имя таблицы.", path);
        const auto share = exclusive ? FileHandle::Share::Exclusive : FileHandle::Share::Shared;
        file = FileHandle::open(path, FileHandle::Access::ReadWrite, share);
        writable = file.has_value();
        int error = errno;
        if (!file && (error == EACCES || error == EROFS || error == EPERM)) {
            file = FileHandle::open(path, FileHandle::Access::Read, share);
            error = errno;
        }
        if (!file) {
            if (!platform::fileExists(path)) raise("Таблица не найдена.", path);
            if (error == EWOULDBLOCK) raise("Таблица используется другой программой.", path);
            raise("Не удалось открыть таблицу.", path);
        }
        const auto size = file->size();
        if (!size) raise("Не удалось прочитать таблицу.", path);
        std::string first(format::kHeaderSize, '\0');
        const auto got = file->readSomeAt(0, first.data(), first.size());
        if (!got) raise("Не удалось прочитать таблицу.", path);
        first.resize(*got);
        const std::size_t length = std::min<std::uint64_t>(announcedHeaderLength(first), *size);
        std::string bytes(std::max(length, first.size()), '\0');
        if (!file->readAt(0, bytes.data(), bytes.size())) raise("Не удалось прочитать таблицу.", path);
        header = parseHeader(bytes, *size, path);
        for (std::size_t i = 0; i < header.fields.size(); ++i)
            fieldByName.emplace(text::upperCase1251(header.fields[i].name), i);
        ownName.assign(header.fields.size(), 0);
        for (std::size_t i = 0; i < header.fields.size(); ++i)
            ownName[i] = fieldByName.at(text::upperCase1251(header.fields[i].name)) == i;
    }

    void openIndex() {
        const std::string mdxPath = productionIndexPath(path);
        if (header.productionIndex == 0 || !platform::fileExists(mdxPath)) return;
        index = ProductionIndex::open(mdxPath, header, writable,
                                      exclusive ? FileHandle::Share::Exclusive : FileHandle::Share::Shared);
        // A tag that does not hold exactly the keys of the records would give wrong seeks:
        // refuse the index so the caller's repair rebuilds it.
        std::vector<std::vector<std::string>> keys;
        for (std::size_t t = 0; t < index->tagCount(); ++t)
            keys.push_back(index->collectKeys(t, header.recordCount));
        std::string buffer;
        for (std::uint32_t r = 1; r <= header.recordCount && !keys.empty(); ++r) {
            load(r, true, buffer);
            for (std::size_t t = 0; t < keys.size(); ++t)
                if (keys[t][r - 1] != makeKey(index->tag(t).expression, header, buffer.data()))
                    indexMismatch();
        }
    }

    void resolveSelectedTag() {
        if (selectedName.empty()) {
            tag.reset();
            return;
        }
        const auto found = index ? index->findTag(selectedName) : std::nullopt;
        if (!found) raise("Тег \""_w + selectedName + "\" не найден в индексе таблицы.", path);
        tag = found;
        selectedName = index->tag(*found).name;
        cursorStale = true;
    }

    void activate(bool checkTag) {
        if (active) return;
        try {
            openFile();
            readImage();
            openIndex();
            if (checkTag) resolveSelectedTag();
            active = true;
        } catch (...) {
            reset();  // leaves the object inactive, as it was
            throw;
        }
    }

    // --- positioning ---
    void leaveModes() { mode = Mode::Browse; }

    void scanPhysical(std::uint32_t from) {
        std::string buffer;
        for (std::uint32_t r = from; r >= 1 && r <= header.recordCount; ++r) {
            load(r, true, buffer);
            if (!isDeleted(buffer)) {
                current = r;
                record = std::move(buffer);
                return;
            }
        }
        current = 0;
        record.clear();
    }

    // From the cursor on, the first entry whose record is not deleted.
    void settleOnTag() {
        std::string buffer;
        while (cursor.valid) {
            const std::uint32_t r = index->recordOf(*tag, cursor);
            if (r < 1 || r > header.recordCount) indexMismatch();
            load(r, false, buffer);
            if (!isDeleted(buffer)) {
                current = r;
                record = std::move(buffer);
                cursorStale = false;
                return;
            }
            index->next(*tag, cursor);
        }
        current = 0;
        record.clear();
        cursorStale = false;
    }

    // Puts the tag cursor on the current record.
    void locate() {
        const std::string key = makeKey(index->tag(*tag).expression, header, record.data());
        index->lowerBound(*tag, key, cursor);
        while (cursor.valid && index->keyOf(*tag, cursor) == key) {
            if (index->recordOf(*tag, cursor) == current) {
                cursorStale = false;
                return;
            }
            index->next(*tag, cursor);
        }
        indexMismatch();
    }

    void first() {
        requireActive();
        leaveModes();
        if (tag) {
            requireIndexUsable();
            index->first(*tag, cursor);
            settleOnTag();
        } else {
            scanPhysical(1);
        }
    }

    void next() {
        requireActive();
        leaveModes();
        if (current == 0) return;
        if (!tag) {
            scanPhysical(current + 1);
            return;
        }
        requireIndexUsable();
        if (cursorStale) locate();
        index->next(*tag, cursor);
        settleOnTag();
    }

    bool seek(bool exact) {
        requireActive();
        if (!tag) raise("Для поиска по ключу не выбран тег индекса.", path);
        requireIndexUsable();
        if (keyBuffer.empty()) keyBuffer = blankRecord();
        leaveModes();
        const KeyExpression& expression = index->tag(*tag).expression;
        makeKeyInto(expression, header, keyBuffer.data(), seek_.key);
        index->lowerBound(*tag, seek_.key, seek_.cursor);
        while (seek_.cursor.valid) {
            index->keyInto(*tag, seek_.cursor, seek_.foundKey);
            if (exact && seek_.foundKey != seek_.key) return false;
            const std::uint32_t r = index->recordOf(*tag, seek_.cursor);
            if (r < 1 || r > header.recordCount) indexMismatch();
            load(r, false, seek_.record);
            if (!isDeleted(seek_.record)) {
                // A tag that disagrees with its record must never pass for a hit.
                makeKeyInto(expression, header, seek_.record.data(), seek_.recordKey);
                if (seek_.recordKey != seek_.foundKey) indexMismatch();
                std::swap(cursor, seek_.cursor);
                current = r;
                record.swap(seek_.record);
                cursorStale = false;
                return true;
            }
            index->next(*tag, seek_.cursor);
        }
        if (!exact) {
            current = 0;
            record.clear();
            cursor = {};
        }
        return false;
    }

    // --- appending ---
    void post() {
        if (mode == Mode::SetKey) {
            leaveModes();
            return;
        }
        if (mode != Mode::Append) return;
        requireActive();
        requireIndexUsable();
        const std::uint32_t number = header.recordCount + 1;
        if (number == 0) raise("Таблица заполнена: больше записей в ней быть не может.", path);
        const std::uint64_t offset =
            header.headerLength + static_cast<std::uint64_t>(header.recordCount) * header.recordLength;
        // The record and the end marker first, uncounted: a crash here loses only this record.
        postBuffer.assign(edit);
        postBuffer += static_cast<char>(format::kEndOfFile);
        if (!file->writeAt(offset, postBuffer.data(), postBuffer.size())) {
            dropUncounted(offset);
            raise("Ошибка записи в таблицу (возможно, диск заполнен).", path);
        }
        if (syncOnPost && !file->sync()) {
            dropUncounted(offset);
            raise("Ошибка записи в таблицу на диск.", path);
        }
        if (index) {
            try {
                for (std::size_t t = 0; t < index->tagCount(); ++t)
                    index->insert(t, makeKey(index->tag(t).expression, header, edit.data()), number);
                if (syncOnPost && !index->sync()) raise("Ошибка записи индекса на диск.", index->path());
            } catch (...) {
                // The tags may hold part of this record's keys; the next open rebuilds them.
                indexDamaged = true;
                dropUncounted(offset);
                throw;
            }
        }
        header.recordCount = number;
        if (!dateStamped) {
            stampToday(header);
            dateStamped = true;
        }
        const std::string count = encodeDateAndCount(header);
        if (!file->writeAt(format::kHeaderUpdateDate, count.data(), count.size()) ||
            (syncOnPost && !file->sync())) {
            header.recordCount = number - 1;
            const std::string previous = encodeDateAndCount(header);
            file->writeAt(format::kHeaderUpdateDate, previous.data(), previous.size());
            dropUncounted(offset);
            if (index) indexDamaged = true;
            raise("Ошибка записи заголовка таблицы.", path);
        }
        if (liveCount) ++*liveCount;
        // Only a table with an index is sought in after its posts (the mapping tables); the
        // records of a table that is only filled (the price table) need not stay in memory.
        if (index && imageRecords + 1 == number && image.size() + edit.size() <= kImageBytes) {
            image += edit;
            imageRecords = number;
        }
        leaveModes();
        current = number;
        record.swap(edit);  // the old buffer's memory serves the next append
        cursorStale = tag.has_value();
    }

    // After a failed post: cut what was written of the record and put the end marker back, so
    // readers that scan up to the marker (rather than trusting the count) see no torn record.
    // Best effort: the count already excludes the record whatever happens here.
    void dropUncounted(std::uint64_t offset) {
        file->truncate(offset);
        const char end = static_cast<char>(format::kEndOfFile);
        file->writeAt(offset, &end, 1);
    }

    void addTag(const std::string& name, const std::string& expression) {
        if (!exclusive)
            raise("Для создания тега индекса таблица должна быть открыта монопольно.", tablePath());
        if (name.empty() || name.size() > 10 || std::any_of(name.begin(), name.end(), [](char c) {
                return static_cast<unsigned char>(c) <= ' ' || c == '+';
            }))
            raise("Недопустимое имя тега \""_w + name + "\".", tablePath());
        const bool wasActive = active;
        if (!wasActive) activate(false);
        try {
            if (!writable) raise("Таблица доступна только для чтения.", path);
            requireIndexUsable();
            if (index && index->findTag(name)) raise("Тег \""_w + name + "\" уже есть в индексе.", path);
            const KeyExpression parsed = parseKeyExpression(expression, header, path);
            std::vector<std::pair<std::string, std::uint32_t>> entries;
            entries.reserve(header.recordCount);
            std::string buffer;
            for (std::uint32_t r = 1; r <= header.recordCount; ++r) {
                load(r, true, buffer);
                entries.emplace_back(makeKey(parsed, header, buffer.data()), r);
            }
            std::sort(entries.begin(), entries.end());
            if (!index)
                index = ProductionIndex::create(productionIndexPath(path), baseNameOf(path),
                                                header.languageDriver, FileHandle::Share::Exclusive);
            try {
                index->addTag(name, parsed, entries);
            } catch (...) {
                indexDamaged = true;
                throw;
            }
            if (header.productionIndex == 0) {
                const char flag = 1;
                if (!file->writeAt(format::kHeaderProductionIndex, &flag, 1))
                    raise("Ошибка записи заголовка таблицы.", path);
                header.productionIndex = 1;
            }
            if (syncOnPost) {
                index->sync();
                file->sync();
            }
            if (tag) cursorStale = true;
        } catch (...) {
            if (!wasActive) reset();
            throw;
        }
        if (!wasActive) reset();
    }

    void refreshDefinitions() {
        definitionNames.clear();
        if (active) {
            if (index)
                for (std::size_t t = 0; t < index->tagCount(); ++t)
                    definitionNames.push_back(index->tag(t).name);
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

    void countLive() {
        std::uint32_t live = 0;
        std::string buffer;
        for (std::uint32_t r = 1; r <= header.recordCount; ++r) {
            load(r, true, buffer);
            if (!isDeleted(buffer)) ++live;
        }
        liveCount = live;
    }
};

Table::Table() : impl_(std::make_unique<Impl>()) {}
Table::~Table() = default;

void Table::setDatabaseName(const std::string& folder) {
    if (impl_->active) raise("Нельзя менять папку открытой таблицы.", impl_->path);
    impl_->folder = folder;
}

void Table::setTableName(const std::string& fileName) {
    if (impl_->active) raise("Нельзя менять имя открытой таблицы.", impl_->path);
    impl_->fileName = fileName;
}

std::string Table::path() const { return impl_->tablePath(); }

void Table::setExclusive(bool exclusive) {
    if (impl_->active) raise("Режим доступа меняют только у закрытой таблицы.", impl_->path);
    impl_->exclusive = exclusive;
}

bool Table::exclusive() const { return impl_->exclusive; }

void Table::open() {
    if (impl_->active) return;
    impl_->activate(true);
    try {
        impl_->first();
    } catch (...) {
        impl_->reset();
        throw;
    }
}

void Table::close() { impl_->reset(); }

bool Table::active() const { return impl_->active; }

void Table::createTable(const std::vector<FieldDef>& fields) { createTable(fields, kLanguageDriverCp1251); }

void Table::createTable(const std::vector<FieldDef>& fields, std::uint8_t languageDriver) {
    const std::string p = impl_->tablePath();
    if (impl_->active) raise("Нельзя создать таблицу поверх открытой.", p);
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

std::uint8_t Table::languageDriver() const {
    impl_->requireActive();
    return impl_->header.languageDriver;
}

void Table::selectTag(const std::string& name) {
    Impl& t = *impl_;
    if (name.empty()) {
        t.selectedName.clear();
        t.tag.reset();
        return;
    }
    if (!t.active) {
        t.selectedName = name;
        return;
    }
    const auto found = t.index ? t.index->findTag(name) : std::nullopt;
    if (!found) raise("Тег \""_w + name + "\" не найден в индексе таблицы.", t.path);
    t.tag = found;
    t.selectedName = t.index->tag(*found).name;
    t.cursorStale = true;
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

void Table::first() { impl_->first(); }
void Table::next() { impl_->next(); }

bool Table::eof() const {
    if (impl_->mode == Impl::Mode::Append) return false;
    return impl_->current == 0;
}

std::uint32_t Table::recordCount() const {
    impl_->requireActive();
    if (!impl_->liveCount) impl_->countLive();
    return *impl_->liveCount;
}

std::uint32_t Table::recordNumber() const {
    if (impl_->mode == Impl::Mode::Append) return 0;
    return impl_->current;
}

void Table::gotoRecord(std::uint32_t recordNumber) {
    Impl& t = *impl_;
    t.requireActive();
    t.leaveModes();
    t.load(recordNumber, false, t.spare);  // the memory of an earlier record serves again
    t.current = recordNumber;
    t.record.swap(t.spare);
    t.cursorStale = t.tag.has_value();
}

void Table::setKey() {
    impl_->requireActive();
    impl_->mode = Impl::Mode::SetKey;
    impl_->keyBuffer.assign(impl_->header.recordLength, ' ');
}

bool Table::gotoKey() { return impl_->seek(true); }
void Table::gotoNearest() { impl_->seek(false); }

bool Table::hasField(const std::string& name) const {
    const auto& map = impl_->fieldByName;
    return map.count(name) != 0 || map.count(text::upperCase1251(name)) != 0;
}

int Table::fieldWidth(const std::string& name) const {
    return impl_->header.fields[impl_->fieldIndex(name)].width;
}

std::string Table::fieldText(const std::string& name) const {
    const Impl& t = *impl_;
    const std::size_t i = t.fieldIndex(name);
    const std::string* buffer = &t.record;
    if (t.mode == Impl::Mode::Append) buffer = &t.edit;
    if (t.mode == Impl::Mode::SetKey) buffer = &t.keyBuffer;
    if (buffer->size() != t.header.recordLength) return {};
    return readFieldText(t.header.fields[i], buffer->data() + t.header.offsets[i]);
}

void Table::setFieldText(const std::string& name, const std::string& value) {
    Impl& t = *impl_;
    const std::size_t i = t.fieldIndex(name);
    std::string* buffer = nullptr;
    if (t.mode == Impl::Mode::Append) buffer = &t.edit;
    if (t.mode == Impl::Mode::SetKey) buffer = &t.keyBuffer;
    if (!buffer) raise("Поле можно изменить только в новой записи или в ключе поиска.", t.path);
    writeFieldText(t.header.fields[i], value, buffer->data() + t.header.offsets[i], t.path);
}

const std::vector<FieldDef>& Table::fields() const { return impl_->header.fields; }

void Table::append() {
    Impl& t = *impl_;
    t.requireActive();
    if (!t.writable) raise("Таблица доступна только для чтения.", t.path);
    t.mode = Impl::Mode::Append;
    t.edit.assign(t.header.recordLength, ' ');
}

void Table::post() { impl_->post(); }

void Table::cancel() {
    impl_->leaveModes();
    impl_->edit.clear();
}

void Table::setSyncOnPost(bool sync) { impl_->syncOnPost = sync; }

}  // namespace dbf
