#include "dbf/OpenTable.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "dbf/KeyExpression.h"
#include "dbf/TablePaths.h"
#include "dbf/TagBuilder.h"
#include "dbf/TagInsert.h"
#include "dbf/TagKey.h"
#include "dbf/TagVerify.h"
#include "platform/FileHandle.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace dbf {

using platform::FileHandle;

void OpenTable::select(std::size_t tag) {
    order.emplace(*index, tag);
    probe.emplace(*index, tag);
    exactKeys.clear();
}

void OpenTable::requireIndexUsable() const {
    if (indexDamaged) raise("Индекс таблицы повреждён при записи; таблицу нужно открыть заново.", path());
}

void OpenTable::openIndex(bool exclusive) {
    const std::string mdxPath = productionIndexPath(path());
    if (header().productionIndex == 0 || !platform::fileExists(mdxPath)) return;
    index = ProductionIndex::open(mdxPath, header(), records.writable(),
                                  exclusive ? FileHandle::Share::Exclusive : FileHandle::Share::Shared);
    for (std::size_t t = 0; t < index->tagCount(); ++t)
        if (index->tag(t).maintained()) verifyTag(index->tag(t), t);
}

void OpenTable::verifyTag(ProductionIndex::Tag& tag, std::size_t t) {
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

void OpenTable::refuseTag(ProductionIndex::Tag& tag, const char* why) {
    tag.plain.reset();
    tag.expression.reset();
    tag.refusal = "Тег \""_w + tag.name + "\" (" + tag.source + ") " + text::utf8ToCp1251(why);
}

void OpenTable::scanPhysical(std::uint32_t from) {
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

void OpenTable::settleOnTag() {
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

void OpenTable::locate() {
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

void OpenTable::first() {
    mode = Mode::Browse;
    if (order) {
        requireIndexUsable();
        order->seekToFirst();
        settleOnTag();
    } else {
        scanPhysical(1);
    }
}

void OpenTable::next() {
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

bool OpenTable::seek(bool exact) {
    if (!order) raise("Для поиска по ключу не выбран тег индекса.", path());
    requireIndexUsable();
    if (keyBuffer.empty()) keyBuffer.assign(header().recordLength, ' ');
    mode = Mode::Browse;
    const ProductionIndex::Tag& tag = order->tag();
    makeTagKey(tag, header(), keyBuffer.data(), seekKey);
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    // Keys are compared where the cached node holds them, without copying them out.
    const auto isFoundKey = [keyLength](const std::string& key, const char* found) {
        return key.size() == keyLength && std::memcmp(key.data(), found, keyLength) == 0;
    };
    if (exact && exactKeys.ready(*index, order->tagNumber(), records)) {
        // The same record the tree would give, without walking down to it. The order cursor
        // is left where it was: next() finds the record's entry when it is asked to go on.
        const std::uint32_t r = exactKeys.find(*index, seekKey, records);
        if (r == 0) return false;
        records.load(r, false, record);
        current = r;
        return true;
    }
    if (exact) exactKeys.soughtInTree();
    probe->seek(seekKey);
    while (probe->valid()) {
        const char* foundKey = probe->keyData();
        if (exact && !isFoundKey(seekKey, foundKey)) return false;
        const std::uint32_t r = probe->record();
        if (r < 1 || r > header().recordCount) indexMismatch();
        records.load(r, false, seekRecord);
        if (!isDeletedRecord(seekRecord)) {
            // A tag that disagrees with its record must never pass for a hit.
            makeTagKey(tag, header(), seekRecord.data(), recordKey);
            if (!isFoundKey(recordKey, foundKey)) indexMismatch();
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

void OpenTable::post(bool sync) {
    requireIndexUsable();
    const std::uint32_t number = header().recordCount + 1;
    const std::uint64_t generationBefore = index ? index->generation() : 0;
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
    if (order) {
        const std::size_t t = order->tagNumber();
        exactKeys.posted(*index, generationBefore, postKeys[t], !skipKey[t], number, records);
    }
    mode = Mode::Browse;
    current = number;
    record.swap(edit);  // the old buffer's memory serves the next append
}

void OpenTable::addTag(const std::string& name, const std::string& expression, bool sync) {
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

}  // namespace dbf
