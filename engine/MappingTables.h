#pragma once
// The two mapping tables beside the program that remember the user's answers: kodper.dbf (name
// of a source norm -> ОРН code, in pieces of 50 characters) and edizper.dbf (source unit -> ОРН
// unit code and price coefficient). Creates them when missing, opens them with their index tags,
// and looks answers up and appends new ones; the open tables never leave this class. Used by
// the converter's code and unit resolution. The layout is in engine/MappingTableLayout.h.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "dbf/Wdbffile.h"
#include "engine/MappingTableLayout.h"

class MappingTables {
public:
    // The paths are fixed by the converter; dbf opens and closes the tables; description is the
    // caption of the message boxes ("TKonvika").
    MappingTables(const std::string& kodFile, const std::string& edIzFile, WDbfFile& dbf,
                  const std::string& description);
    ~MappingTables();
    MappingTables(const MappingTables&) = delete;
    MappingTables& operator=(const MappingTables&) = delete;

    // Creates the missing files, then opens both tables with their tags selected.
    bool OpenMappingTables();
    bool CreateKodFile(const std::string& path);
    bool CreateEdIzFile(const std::string& path);

    // Found when every piece StoreKod writes for the name (at most 20) is stored under one code;
    // the code out is left alone otherwise.
    bool FindKod(const std::string& name, std::string& code);
    // Appends the name in pieces of 50 characters, at most 20, each with the code. Always true.
    bool StoreKod(const std::string& name, const std::string& code);
    // Units are looked up and stored trimmed; the unit code keeps one character.
    bool FindEdIz(const std::string& unit, std::string& kei, std::string& coefficient);
    void StoreEdIz(const std::string& unit, const std::string& kei,
                   const std::string& coefficient);

    // Closes the code table, then the unit table; closed tables are left alone.
    void CloseTables();

    // What is open, the selected tags and the row counts, for checks after a conversion.
    bool IsKodTableOpen() const { return FKodTable != nullptr; }
    bool IsEdIzTableOpen() const { return FEdIzTable != nullptr; }
    std::string SelectedKodTag() const;
    std::string SelectedEdIzTag() const;
    std::uint32_t KodRowCount() const;
    std::uint32_t EdIzRowCount() const;

private:
    // The open tables; an error of the engine when one is not open.
    dbf::Table& kodTable() const;
    dbf::Table& edIzTable() const;

    // Positions of the fields in the open tables, found by name on the first lookup after
    // opening (a missing field raises the engine's error then), so lookups read in place.
    const engine::kod_table::FieldPositions& kodFields(const dbf::Table& table);
    const engine::ediz_table::FieldPositions& edIzFields(const dbf::Table& table);

    std::string FKodFile;
    std::string FEdIzFile;
    WDbfFile& FDbf;
    std::string FDescription;
    TableSlot FKodTable;
    TableSlot FEdIzTable;
    std::optional<engine::kod_table::FieldPositions> FKodFields;
    std::optional<engine::ediz_table::FieldPositions> FEdIzFields;
    // The code of the row a lookup stands on, kept while it reads the rows after it.
    std::string FFoundCode;
};
