#include "dbf/Wdbffile.h"

#include <cstring>
#include <vector>

#include "dbf/DbfFormat.h"
#include "dbf/EngineError.h"
#include "platform/Desktop.h"
#include "platform/FileHandle.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace {

using platform::FileHandle;

// The lists end at an entry holding "NULL"; no list is longer than this.
constexpr int kMaxIndexEntries = 256;
constexpr int kAttempts = 3;

const std::string& removalCaption() {
    static const std::string caption = "Удаление индексов"_w;
    return caption;
}

// Position of the extension's dot in the file-name part of a path, or npos.
std::size_t extensionDot(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind(platform::kPathSeparator);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

std::string changeExtension(const std::string& path, const std::string& extension) {
    const auto dot = extensionDot(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

std::string withoutExtension(const std::string& path) {
    const auto dot = extensionDot(path);
    return dot == std::string::npos ? path : path.substr(0, dot);
}

// The production index beside a table as the index checks name it: ".mdx" for a ".dbf" table
// (any letter case), the table's name followed by "x" otherwise.
std::string companionIndexPath(const std::string& path) {
    const auto dot = extensionDot(path);
    if (dot != std::string::npos && text::upperCase1251(path.substr(dot)) == ".DBF")
        return path.substr(0, dot) + ".mdx";
    return path + "x";
}

void resetCursor() { platform::setCursor(platform::CursorShape::Arrow); }

void showRemovalMessage(bool show, const std::string& text) {
    if (show) platform::showError(removalCaption(), text);
}

std::string openFailureText(const std::string& path) {
    return "Ошибка при открытии файла:\n"_w + path + "!\nВозможно он используется другой программой."_w;
}

// The usable entries of a list: up to the first that holds "NULL" in any of its texts.
std::vector<const SIndexDesc*> listedIndexes(const SIndexDesc* indexes) {
    std::vector<const SIndexDesc*> entries;
    if (!indexes) return entries;
    for (int i = 0; i < kMaxIndexEntries; ++i) {
        const SIndexDesc& entry = indexes[i];
        if (!entry.Name || !entry.Expression || !entry.Fields) break;
        if (std::strcmp(entry.Name, "NULL") == 0 || std::strcmp(entry.Expression, "NULL") == 0 ||
            std::strcmp(entry.Fields, "NULL") == 0)
            break;
        entries.push_back(&entry);
    }
    return entries;
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    return text::upperCase1251(a) == text::upperCase1251(b);
}

}  // namespace

WDbfFile::WDbfFile() : FDescription("Класс WDbfFile"_w) {}

bool WDbfFile::OpenTable(TableSlot& slot, const std::string& path, bool showMessages) {
    static const SIndexDesc kNoIndexes[] = {{"NULL", "NULL", "NULL"}};
    return OpenIndexedTable(slot, path, showMessages, false, kNoIndexes, "");
}

bool WDbfFile::OpenIndexedTable(TableSlot& slot, const std::string& path, bool showMessages, bool useIndexes,
                                const SIndexDesc* indexes, const std::string& tag) {
    if (!platform::fileExists(path)) {
        if (showMessages) {
            resetCursor();
            platform::showError(FDescription, "Файл:"_w + path + "\nне найден!"_w);
        }
        return false;
    }
    ClearReadOnly(path);
    const std::vector<const SIndexDesc*> entries = listedIndexes(indexes);
    int stage = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        try {
            if (slot) {
                slot->close();
                slot.reset();
            }
            slot = std::make_unique<dbf::Table>();
            CheckIndexFiles(path, false);
            dbf::Table& table = *slot;
            table.setDatabaseName(platform::folderOf(path));
            table.setTableName(platform::fileNameOf(path));
            if (!useIndexes) {
                table.open();
                return true;
            }
            bool tagMissing = !platform::fileExists(changeExtension(path, ".mdx"));
            if (!tagMissing) {
                for (const SIndexDesc* entry : entries) {
                    const bool wasActive = table.active();
                    try {
                        table.open();
                        table.selectTag(entry->Name);
                        if (!wasActive) table.close();
                    } catch (const dbf::EngineError&) {
                        // Not an error by itself: the missing tag is created below.
                        table.close();
                        tagMissing = true;
                    }
                }
                if (!tagMissing) {
                    table.open();
                    table.selectTag(tag);
                    return true;
                }
            }
            table.setExclusive(true);
            table.refreshIndexDefs();
            const std::vector<std::string> definitions = table.indexDefNames();
            for (const SIndexDesc* entry : entries) {
                if (definitions.empty()) {
                    table.addTag(entry->Name, entry->Expression, dbf::TagOption::Expression,
                                 entry->Expression);
                    continue;
                }
                bool present = false;
                for (const auto& name : definitions)
                    present = present || sameNameIgnoringCase(name, entry->Name);
                if (!present)
                    table.addTag(entry->Name, entry->Expression, dbf::TagOption::Expression, entry->Fields);
            }
            table.selectTag(tag);
            table.setExclusive(false);
            table.open();
            return true;
        } catch (const dbf::EngineError& e) {
            // Every engine failure of an attempt leads to the next repair stage, except a sound
            // file holding what the engine cannot keep: repairing would destroy it for the
            // programs that wrote it, so it is left byte for byte as it is.
            CloseTable(slot);
            if (e.unsupported()) stage = 2;
            if (stage == 0) {
                stage = 1;
                RemoveIndexes(path, showMessages);
            } else if (stage == 1) {
                stage = 2;
                ResetEngineConfig();
            } else {
                resetCursor();
                if (showMessages) platform::showError(FDescription, "Ошибка при чтении файла: "_w + path);
                return false;
            }
        }
    }
    return false;
}

bool WDbfFile::CloseTable(TableSlot& slot) {
    if (!slot) return false;
    slot->close();
    slot.reset();
    return true;
}

int WDbfFile::CheckIndexFiles(const std::string& path, bool showMessages) {
    const std::string index = companionIndexPath(path);
    const std::string base = withoutExtension(path);
    const std::string clipperIndexes[] = {base + ".ntx", base + "1.ntx", base + "2.ntx"};
    if (platform::fileExists(index) && HasProductionIndex(path, showMessages)) {
        for (const auto& clipper : clipperIndexes) {
            if (!platform::fileExists(clipper)) continue;
            auto indexFile = FileHandle::open(index, FileHandle::Access::Read, FileHandle::Share::Shared);
            if (!indexFile) return -2;
            auto clipperFile = FileHandle::open(clipper, FileHandle::Access::Read, FileHandle::Share::Shared);
            if (!clipperFile) return -3;
            const auto indexTime = platform::lastWriteTime(index);
            const auto clipperTime = platform::lastWriteTime(clipper);
            indexFile.reset();
            clipperFile.reset();
            if (indexTime && clipperTime && *indexTime < *clipperTime) RemoveIndexes(path, showMessages);
        }
        return 1;
    }
    return RemoveIndexes(path, showMessages) ? 0 : -1;
}

bool WDbfFile::HasProductionIndex(const std::string& path, bool showMessages) {
    if (!platform::fileExists(changeExtension(path, ".mdx"))) return false;
    auto file = FileHandle::open(path, FileHandle::Access::Read, FileHandle::Share::Shared);
    if (!file) {
        resetCursor();
        showRemovalMessage(showMessages, openFailureText(path));
        return false;
    }
    char flag = 0;
    if (!file->readAt(dbf::format::kHeaderProductionIndex, &flag, 1)) {
        resetCursor();
        file.reset();
        showRemovalMessage(showMessages, "Ошибка при чтении файла:\n"_w + path + "!");
        return false;
    }
    return flag != 0;
}

bool WDbfFile::RemoveIndexes(const std::string& path, bool showMessages) {
    const std::string index = companionIndexPath(path);
    if (platform::fileExists(index)) {
        ClearReadOnly(index);
        // Deleting an index that another opener holds would take it from under them (the file
        // system allows it, where other systems refuse): only an index nobody holds is deleted.
        if (auto unused = FileHandle::open(index, FileHandle::Access::Read, FileHandle::Share::Exclusive))
            platform::deleteFile(index);
    }
    ClearReadOnly(path);
    auto file = FileHandle::open(path, FileHandle::Access::ReadWrite, FileHandle::Share::Exclusive);
    if (!file) {
        resetCursor();
        showRemovalMessage(showMessages, openFailureText(path));
        return false;
    }
    // A file too short to hold the flag has none to clear: writing it would lengthen the file.
    const auto size = file->size();
    if (size && *size <= dbf::format::kHeaderProductionIndex) return true;
    const char cleared = 0;
    if (!file->writeAt(dbf::format::kHeaderProductionIndex, &cleared, 1)) {
        resetCursor();
        file.reset();
        showRemovalMessage(showMessages, "Ошибка при записи в файл:\n"_w + path + "!");
        return false;
    }
    return true;
}

bool WDbfFile::ResetEngineConfig() {
    // Our engine keeps no configuration between runs: nothing to reset before the last try.
    return true;
}

void WDbfFile::ClearReadOnly(const std::string& path) { platform::clearReadOnly(path); }
