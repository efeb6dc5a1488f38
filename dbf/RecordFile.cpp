#include "dbf/RecordFile.h"

#include <algorithm>
#include <cerrno>

#include "dbf/DbfFormat.h"
#include "dbf/EngineMessages.h"
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
// Tables of up to this many fields are searched for a field name one by one.
constexpr std::size_t kScannedFields = 8;

}  // namespace

RecordFile::RecordFile(const std::string& path, bool exclusive) : path_(path) {
    const auto share = exclusive ? FileHandle::Share::Exclusive : FileHandle::Share::Shared;
    file_ = FileHandle::open(path_, FileHandle::Access::ReadWrite, share);
    writable_ = file_.has_value();
    int error = errno;
    if (!file_ && (error == EACCES || error == EROFS || error == EPERM)) {
        file_ = FileHandle::open(path_, FileHandle::Access::Read, share);
        error = errno;
    }
    if (!file_) {
        if (!platform::fileExists(path_)) raise("Таблица не найдена.", path_);
        if (error == EWOULDBLOCK) raise("Таблица используется другой программой.", path_);
        raise("Не удалось открыть таблицу.", path_);
    }
    const auto size = file_->size();
    if (!size) raise("Не удалось прочитать таблицу.", path_);
    std::string first(format::kHeaderSize, '\0');
    const auto got = file_->readSomeAt(0, first.data(), first.size());
    if (!got) raise("Не удалось прочитать таблицу.", path_);
    first.resize(*got);
    const std::size_t length = std::min<std::uint64_t>(announcedHeaderLength(first), *size);
    std::string bytes(std::max(length, first.size()), '\0');
    if (!file_->readAt(0, bytes.data(), bytes.size())) raise("Не удалось прочитать таблицу.", path_);
    header_ = parseHeader(bytes, *size, path_);
    for (std::size_t i = 0; i < header_.fields.size(); ++i)
        fieldByName_.emplace(text::upperCase1251(header_.fields[i].name), i);
    ownName_.assign(header_.fields.size(), 0);
    for (std::size_t i = 0; i < header_.fields.size(); ++i)
        ownName_[i] = fieldByName_.at(text::upperCase1251(header_.fields[i].name)) == i;
    readImage();
}

bool RecordFile::hasField(const std::string& name) const {
    return fieldByName_.count(name) != 0 || fieldByName_.count(text::upperCase1251(name)) != 0;
}

std::size_t RecordFile::fieldIndex(const std::string& name) const {
    const std::size_t next = nextField_ < ownName_.size() ? nextField_ : 0;  // then the first again
    if (next < ownName_.size() && ownName_[next] && header_.fields[next].name == name) {
        nextField_ = next + 1;
        return next;
    }
    // Small tables are searched by their exact names before the map, which would hash the
    // name (and maybe upper-case it): the mapping tables have three fields.
    if (ownName_.size() <= kScannedFields)
        for (std::size_t i = 0; i < ownName_.size(); ++i)
            if (ownName_[i] && header_.fields[i].name == name) {
                nextField_ = i + 1;
                return i;
            }
    auto found = fieldByName_.find(name);
    if (found == fieldByName_.end()) found = fieldByName_.find(text::upperCase1251(name));
    if (found == fieldByName_.end()) raise("В таблице нет поля \""_w + name + "\".", path_);
    nextField_ = found->second + 1;
    return found->second;
}

void RecordFile::load(std::uint32_t number, bool sequential, std::string& into) {
    if (number < 1 || number > header_.recordCount) raise("Номер записи вне таблицы.", path_);
    const std::size_t length = header_.recordLength;
    if (number <= imageRecords_) {
        into.assign(image_, static_cast<std::size_t>(number - 1) * length, length);
        return;
    }
    if (number >= chunkFirst_ && number < chunkFirst_ + chunkRecords_) {
        into.assign(chunk_, static_cast<std::size_t>(number - chunkFirst_) * length, length);
        return;
    }
    const std::uint64_t offset = header_.headerLength + static_cast<std::uint64_t>(number - 1) * length;
    if (sequential) {
        const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            header_.recordCount - number + 1, std::max<std::size_t>(1, kReadAheadBytes / length)));
        chunk_.resize(static_cast<std::size_t>(count) * length);
        if (!file_->readAt(offset, chunk_.data(), chunk_.size())) {
            chunkRecords_ = 0;
            raise("Ошибка чтения таблицы.", path_);
        }
        chunkFirst_ = number;
        chunkRecords_ = count;
        into.assign(chunk_, 0, length);
        return;
    }
    into.resize(length);
    if (!file_->readAt(offset, into.data(), length)) raise("Ошибка чтения таблицы.", path_);
}

void RecordFile::readImage() {
    const std::uint64_t bytes = static_cast<std::uint64_t>(header_.recordCount) * header_.recordLength;
    if (bytes > kImageBytes) return;
    image_.resize(static_cast<std::size_t>(bytes));
    if (!file_->readAt(header_.headerLength, image_.data(), image_.size())) raise("Ошибка чтения таблицы.", path_);
    imageRecords_ = header_.recordCount;
}

std::uint32_t RecordFile::liveCount() {
    if (!liveCount_) {
        std::uint32_t live = 0;
        std::string buffer;
        for (std::uint32_t r = 1; r <= header_.recordCount; ++r) {
            load(r, true, buffer);
            if (!isDeletedRecord(buffer)) ++live;
        }
        liveCount_ = live;
    }
    return *liveCount_;
}

void RecordFile::writeUncounted(const std::string& record, bool sync) {
    if (header_.recordCount + 1 == 0) raise("Таблица заполнена: больше записей в ней быть не может.", path_);
    const std::uint64_t offset =
        header_.headerLength + static_cast<std::uint64_t>(header_.recordCount) * header_.recordLength;
    // The record and the end marker first, uncounted: a crash here loses only this record.
    postBuffer_.assign(record);
    postBuffer_ += static_cast<char>(format::kEndOfFile);
    if (!file_->writeAt(offset, postBuffer_.data(), postBuffer_.size())) {
        dropUncounted();
        raise("Ошибка записи в таблицу (возможно, диск заполнен).", path_);
    }
    if (sync && !file_->sync()) {
        dropUncounted();
        raise("Ошибка записи в таблицу на диск.", path_);
    }
}

// Readers that scan up to the marker (rather than trusting the count) then see no torn
// record. Best effort: the count already excludes the record whatever happens here.
void RecordFile::dropUncounted() {
    const std::uint64_t offset =
        header_.headerLength + static_cast<std::uint64_t>(header_.recordCount) * header_.recordLength;
    file_->truncate(offset);
    const char end = static_cast<char>(format::kEndOfFile);
    file_->writeAt(offset, &end, 1);
}

void RecordFile::commitCount(bool sync) {
    const std::uint32_t number = header_.recordCount + 1;
    header_.recordCount = number;
    if (!dateStamped_) {
        stampToday(header_);
        dateStamped_ = true;
    }
    const std::string count = encodeDateAndCount(header_);
    if (!file_->writeAt(format::kHeaderUpdateDate, count.data(), count.size()) || (sync && !file_->sync())) {
        header_.recordCount = number - 1;
        const std::string previous = encodeDateAndCount(header_);
        file_->writeAt(format::kHeaderUpdateDate, previous.data(), previous.size());
        dropUncounted();
        raise("Ошибка записи заголовка таблицы.", path_);
    }
    if (liveCount_) ++*liveCount_;
}

void RecordFile::keepInMemory(const std::string& record) {
    if (imageRecords_ + 1 == header_.recordCount && image_.size() + record.size() <= kImageBytes) {
        image_ += record;
        imageRecords_ = header_.recordCount;
    }
}

void RecordFile::markProductionIndex() {
    if (header_.productionIndex != 0) return;
    const char flag = 1;
    if (!file_->writeAt(format::kHeaderProductionIndex, &flag, 1)) raise("Ошибка записи заголовка таблицы.", path_);
    header_.productionIndex = 1;
}

void RecordFile::markIndexedField(std::size_t field) {
    if (header_.level != 4) return;
    const char flag = 1;
    const std::uint64_t at = format::kHeaderSize + field * format::kFieldDescriptorSize + format::kFieldIndexFlag;
    if (!file_->writeAt(at, &flag, 1)) raise("Ошибка записи заголовка таблицы.", path_);
}

bool RecordFile::sync() { return file_->sync(); }

}  // namespace dbf
