#include "engine/MappingTables.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "dbf/EngineError.h"
#include "engine/MappingTableLayout.h"
#include "platform/Desktop.h"
#include "platform/Files.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

namespace {

using namespace engine::kod_table;
using engine::ediz_table::kCoefficientField;
using engine::ediz_table::kUnitCodeField;
using engine::ediz_table::kUnitField;

// A source norm's name cut into the pieces that are stored for it: one per started piece of
// the width of NAME_SP, at most kMaxPieces, and one empty piece for the empty name.
class NamePieces {
public:
    NamePieces(const std::string& name, std::size_t width, const dbf::Table& table) : name_(name), width_(width) {
        if (width_ == 0)
            throw dbf::EngineError("NAME_SP: неверная ширина поля в файле "_w + table.path());
        const std::size_t started = name.empty() ? 1 : (name.size() + width_ - 1) / width_;
        count_ = static_cast<int>(std::min<std::size_t>(started, kMaxPieces));
    }

    int count() const { return count_; }
    // A name no longer than a piece is its own first piece.
    bool fitsOnePiece() const { return name_.size() <= width_; }
    const std::string& whole() const { return name_; }
    // Piece 1, 2, ... as the field holds it.
    std::string piece(int number) const {
        return name_.substr(static_cast<std::size_t>(number - 1) * width_, width_);
    }
    // The same piece as the engine reads it back: without trailing blanks.
    std::string_view pieceAsRead(int number) const {
        std::string_view s = std::string_view(name_).substr(static_cast<std::size_t>(number - 1) * width_, width_);
        while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
        return s;
    }

private:
    const std::string& name_;
    std::size_t width_;
    int count_ = 0;
};

// A piece's number as ROST holds it and the engine reads it back ("1" ... "20"), made without
// allocating: it is compared for every row a lookup reads.
class PieceNumber {
public:
    explicit PieceNumber(int number) {
        const auto made = std::to_chars(text_, text_ + sizeof text_, number);
        size_ = static_cast<std::size_t>(made.ptr - text_);
    }
    std::string_view view() const { return {text_, size_}; }
    std::string text() const { return std::string(view()); }

private:
    char text_[12] = {};
    std::size_t size_ = 0;
};

struct StoredPiece {
    std::uint32_t record = 0;
    std::string code;
};

// Every row whose key equals (piece, number), in index order. Several names may share a piece,
// for example the same first 50 characters.
std::vector<StoredPiece> rowsOfPiece(dbf::Table& table, const FieldPositions& f, const NamePieces& name, int number) {
    const PieceNumber numberText(number);
    std::vector<StoredPiece> rows;
    table.setKey();
    table.setFieldText(kNameField, name.piece(number));
    table.setFieldText(kPieceField, numberText.text());
    if (!table.gotoKey()) return rows;
    // Rows with an equal key follow the hit in index order.
    const std::string storedPiece(table.fieldView(f.name));
    for (; !table.eof(); table.next()) {
        if (table.fieldView(f.name) != storedPiece || table.fieldView(f.piece) != numberText.view()) break;
        rows.push_back({table.recordNumber(), std::string(table.fieldView(f.code))});
    }
    return rows;
}

// The row an exact seek of (piece, number) stands on, the first of rowsOfPiece: its record
// number, and its code into `code`.
bool firstRowOfPiece(dbf::Table& table, const FieldPositions& f, const NamePieces& name, int number,
                     std::uint32_t& record, std::string& code) {
    table.setKey();
    if (number == 1 && name.fitsOnePiece())
        table.setFieldText(kNameField, name.whole());
    else
        table.setFieldText(kNameField, name.piece(number));
    table.setFieldText(kPieceField, PieceNumber(number).text());
    if (!table.gotoKey()) return false;
    record = table.recordNumber();
    code.assign(table.fieldView(f.code));
    return true;
}

// StoreKod appends the pieces of one name one after the other, so the rows of a name follow
// its first row in the file. True when the rows after `first` (whose code is `code`) hold
// exactly this name: its remaining pieces under the same code, and no further piece of a
// longer name.
bool isWholeStoredName(dbf::Table& table, const FieldPositions& f, const NamePieces& name, std::uint32_t first,
                       const std::string& code) {
    // Physical rows: rows that another program deleted still hold their place in the file.
    const std::uint32_t records = table.recordsInFile();
    auto isPiece = [&](std::uint32_t record, int number) {
        table.gotoRecord(record);
        // A deleted row holds no piece: the name is then not whole here.
        return !table.eof() && table.recordNumber() == record && !table.deleted() &&
               table.fieldView(f.piece) == PieceNumber(number).view() && table.fieldView(f.code) == code;
    };
    for (int number = 2; number <= name.count(); ++number) {
        const std::uint32_t record = first + static_cast<std::uint32_t>(number - 1);
        if (record > records || !isPiece(record, number) || table.fieldView(f.name) != name.pieceAsRead(number))
            return false;
    }
    if (name.count() == kMaxPieces) return true;
    const std::uint32_t next = first + static_cast<std::uint32_t>(name.count());
    return next > records || !isPiece(next, name.count() + 1);
}

}  // namespace

MappingTables::MappingTables(const std::string& kodFile, const std::string& edIzFile, WDbfFile& dbf,
                             const std::string& description)
    : FKodFile(kodFile), FEdIzFile(edIzFile), FDbf(dbf), FDescription(description) {}

MappingTables::~MappingTables() { CloseTables(); }

bool MappingTables::OpenMappingTables() {
    FKodFields.reset();
    FEdIzFields.reset();
    if (!platform::fileExists(FKodFile) && !CreateKodFile(FKodFile)) return false;
    if (!FDbf.OpenIndexedTable(FKodTable, FKodFile, true, true, engine::kod_table::kIndexes,
                               engine::kod_table::kTag))
        return false;
    // Every row is an answer the user typed; it must outlive a crash or a power failure.
    FKodTable->setSyncOnPost(true);
    if (!platform::fileExists(FEdIzFile) && !CreateEdIzFile(FEdIzFile)) return false;
    if (!FDbf.OpenIndexedTable(FEdIzTable, FEdIzFile, true, true, engine::ediz_table::kIndexes,
                               engine::ediz_table::kTag))
        return false;
    FEdIzTable->setSyncOnPost(true);
    return true;
}

namespace {

const char kBuildingSuffix[] = ".new";

// Creates an empty table with the given fields, and the folders above it. False on any failure.
// An existing file holds the answers of earlier runs and is never replaced.
bool createTableFile(const std::string& path, const std::vector<dbf::FieldDef>& fields) {
    if (platform::fileExists(path)) return false;
    const std::string folder = platform::folderOf(path);
    if (!folder.empty() && !platform::createDirectories(folder)) return false;
    // The table is written under a passing name and then moved into place whole: a table torn
    // by a full disk or a crash while its header is written would stop every later conversion.
    const std::string building = path + kBuildingSuffix;
    try {
        dbf::Table table;
        table.setExclusive(true);
        table.setDatabaseName(folder);
        table.setTableName(platform::fileNameOf(building));
        table.createTable(fields);
        table.setExclusive(false);
    } catch (const std::exception&) {
        // Every failure of the engine here means the same to the user: the file was not made.
        platform::deleteFile(building);
        return false;
    }
    if (!platform::renameReplacing(building, path)) {
        platform::deleteFile(building);
        return false;
    }
    return platform::fileExists(path);
}

}  // namespace

bool MappingTables::CreateKodFile(const std::string& path) {
    if (createTableFile(path, engine::kod_table::fields())) return true;
    platform::showError(FDescription, "CreateKodFile: Ошибка при формировании файла: "_w + path);
    return false;
}

bool MappingTables::CreateEdIzFile(const std::string& path) {
    if (createTableFile(path, engine::ediz_table::fields())) return true;
    platform::showError(FDescription, "CreateEdIzFile: Ошибка при формировании файла: "_w + path);
    return false;
}

// A name is found only when every piece that StoreKod writes for it is stored, all under one
// and the same code; a hit on some pieces alone would hand out the code of another name.
bool MappingTables::FindKod(const std::string& name, std::string& code) {
    if (name.empty()) return false;
    dbf::Table& table = kodTable();
    // Selecting is a search of the index's tag list; the tag stays selected from the opening.
    if (table.selectedTag() != engine::kod_table::kTag) table.selectTag(engine::kod_table::kTag);

    const FieldPositions& f = kodFields(table);
    const NamePieces pieces(name, f.nameWidth, table);
    // Mostly the first row of the first piece starts the rows stored for exactly this name;
    // then it is the answer and no other row needs to be read.
    std::uint32_t first = 0;
    const bool any = firstRowOfPiece(table, f, pieces, 1, first, FFoundCode);
    if (any && isWholeStoredName(table, f, pieces, first, FFoundCode)) {
        code = FFoundCode;
        return true;
    }
    std::vector<StoredPiece> candidates;
    if (any) candidates = rowsOfPiece(table, f, pieces, 1);
    // When names share pieces, the rows stored for exactly this name decide. Such rows hold
    // every later piece under the candidate's code, so the first of them is also what the
    // filtering below leaves first; it is looked at first because the filtering reads every
    // row of a piece that many names share (a common ending, say).
    const auto whole = std::find_if(candidates.begin(), candidates.end(),
                                    [&](const StoredPiece& candidate) {
                                        return isWholeStoredName(table, f, pieces, candidate.record,
                                                                 candidate.code);
                                    });
    if (whole != candidates.end()) {
        code = whole->code;
        return true;
    }
    // First-piece rows whose code every later piece has been stored with as well.
    for (int number = 2; number <= pieces.count() && !candidates.empty(); ++number) {
        const std::vector<StoredPiece> rows = rowsOfPiece(table, f, pieces, number);
        std::erase_if(candidates, [&rows](const StoredPiece& candidate) {
            return std::none_of(rows.begin(), rows.end(), [&candidate](const StoredPiece& row) {
                return row.code == candidate.code;
            });
        });
    }
    if (candidates.empty()) return false;
    code = candidates.front().code;
    return true;
}

bool MappingTables::StoreKod(const std::string& name, const std::string& code) {
    dbf::Table& table = kodTable();
    const NamePieces pieces(name, kodFields(table).nameWidth, table);
    for (int number = 1; number <= pieces.count(); ++number) {
        table.append();
        table.setFieldText(kNameField, pieces.piece(number));
        table.setFieldText(kPieceField, PieceNumber(number).text());
        table.setFieldText(kCodeField, code);
        table.post();
    }
    return true;
}

bool MappingTables::FindEdIz(const std::string& unit, std::string& kei, std::string& coefficient) {
    dbf::Table& table = edIzTable();
    if (table.selectedTag() != engine::ediz_table::kTag) table.selectTag(engine::ediz_table::kTag);
    const engine::ediz_table::FieldPositions& f = edIzFields(table);
    table.setKey();
    table.setFieldText(kUnitField, text::trimmed(unit));
    if (!table.gotoKey()) return false;
    kei.assign(table.fieldView(f.unitCode));
    coefficient.assign(table.fieldView(f.coefficient));
    return true;
}

void MappingTables::StoreEdIz(const std::string& unit, const std::string& kei,
                              const std::string& coefficient) {
    dbf::Table& table = edIzTable();
    table.append();
    table.setFieldText(kUnitField, text::trimmed(unit));
    table.setFieldText(kUnitCodeField, kei);
    table.setFieldText(kCoefficientField, text::trimmed(coefficient));
    table.post();
}

dbf::Table& MappingTables::kodTable() const {
    if (!FKodTable) throw dbf::EngineError("Не открыт файл "_w + FKodFile);
    return *FKodTable;
}

dbf::Table& MappingTables::edIzTable() const {
    if (!FEdIzTable) throw dbf::EngineError("Не открыт файл "_w + FEdIzFile);
    return *FEdIzTable;
}

void MappingTables::CloseTables() {
    FKodFields.reset();
    FEdIzFields.reset();
    if (FKodTable) FDbf.CloseTable(FKodTable);
    if (FEdIzTable) FDbf.CloseTable(FEdIzTable);
}

const FieldPositions& MappingTables::kodFields(const dbf::Table& table) {
    if (!FKodFields) FKodFields = engine::kod_table::fieldPositions(table);
    return *FKodFields;
}

const engine::ediz_table::FieldPositions& MappingTables::edIzFields(const dbf::Table& table) {
    if (!FEdIzFields) FEdIzFields = engine::ediz_table::fieldPositions(table);
    return *FEdIzFields;
}

std::string MappingTables::SelectedKodTag() const { return kodTable().selectedTag(); }
std::string MappingTables::SelectedEdIzTag() const { return edIzTable().selectedTag(); }
std::uint32_t MappingTables::KodRowCount() const { return kodTable().recordCount(); }
std::uint32_t MappingTables::EdIzRowCount() const { return edIzTable().recordCount(); }
