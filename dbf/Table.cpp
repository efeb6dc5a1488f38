#include "dbf/Table.h"

#include <algorithm>
#include <optional>

#include "dbf/DbfFormat.h"
#include "dbf/DbfHeader.h"
#include "dbf/EngineMessages.h"
#include "dbf/FieldValue.h"
#include "dbf/OpenTable.h"
#include "dbf/ProductionIndex.h"
#include "dbf/TablePaths.h"
#include "platform/FileHandle.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using platform::FileHandle;

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

std::uint32_t Table::recordsInFile() const { return impl_->requireActive().header().recordCount; }

bool Table::deleted() const {
    const OpenTable& t = impl_->requireActive();
    return t.mode == Mode::Browse && t.current != 0 && isDeletedRecord(t.record);
}

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

std::string Table::fieldText(const std::string& name) const { return std::string(fieldView(impl_->fieldIndex(name))); }

std::size_t Table::fieldPosition(const std::string& name) const { return impl_->fieldIndex(name); }

std::string_view Table::fieldView(std::size_t position) const {
    const OpenTable& t = impl_->requireActive();
    if (position >= t.header().fields.size()) raise("Номер поля вне таблицы.", t.path());
    const std::string* buffer = &t.record;
    if (t.mode == Mode::Append) buffer = &t.edit;
    if (t.mode == Mode::SetKey) buffer = &t.keyBuffer;
    if (buffer->size() != t.header().recordLength) return {};
    return readFieldView(t.header().fields[position], buffer->data() + t.header().offsets[position]);
}

void Table::setFieldText(const std::string& name, const std::string& value) {
    setFieldText(impl_->fieldIndex(name), value);
}

void Table::setFieldText(std::size_t i, std::string_view value) {
    OpenTable& t = impl_->requireActive();
    if (i >= t.header().fields.size()) raise("Номер поля вне таблицы.", t.path());
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
