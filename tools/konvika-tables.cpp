// Writes the dBASE files that the converter expects to find but does not make itself, under a
// root folder (the install prefix): the empty price-table template
// "Morvel/Shablon/Resurs/cenashab.dbf" and two sample units-of-measure tables
// "sample/units/Ei1.dbf" and "sample/units/Ei2.dbf". docs/units-and-mapping-tables.md describes
// their fields. Run by the install step; usable by hand for a development folder.
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace {

const char kTemplatePath[] = "Morvel/Shablon/Resurs/cenashab.dbf";
const char kUnitsFolder[] = "sample/units";

// The four code fields have the widths of the stored normative code; KEI takes the unit code
// (one character in the units tables, room for three); prices keep the six fraction digits
// that the converter writes at most.
std::vector<dbf::FieldDef> priceTableFields() {
    return {
        {"TIP", 'C', 1, 0},  {"SBOR", 'C', 6, 0}, {"TABL", 'C', 5, 0},
        {"POZ", 'C', 5, 0},  {"KEI", 'C', 3, 0},  {"C_1", 'N', 16, 6},
        {"C_2", 'N', 16, 6}, {"C1", 'N', 16, 6},  {"C2", 'N', 16, 6},
    };
}

const int kUnitNameWidth = 40;
// Room for three characters as in the suite's tables; the sample codes are one character,
// since the unit mapping table keeps only the first character of a unit code.
const int kUnitCodeWidth = 3;

struct Unit {
    const char* code;
    const char* nameUtf8;
};

// Units of the general bases.
const Unit kEi1Units[] = {
    {"1", "м"},       {"2", "м2"},     {"3", "м3"},      {"4", "т"},      {"5", "кг"},
    {"6", "шт"},      {"7", "100 м"},  {"8", "1000 шт"}, {"9", "100 м2"}, {"A", "100 м3"},
    {"B", "1000 м3"}, {"C", "км"},     {"D", "компл"},   {"E", "л"},      {"F", "10 шт"},
    {"G", "100 шт"},  {"H", "пог. м"}, {"I", "маш.-ч"},  {"J", "чел.-ч"}, {"K", "га"},
    {"L", "1000 м2"}, {"M", "10 м"},   {"N", "100 т"},   {"O", "кВт"},
};

// Units of the base MG419.
const Unit kEi2Units[] = {
    {"1", "м"},      {"2", "м2"},     {"3", "м3"},      {"4", "т"},      {"5", "кг"},
    {"6", "шт"},     {"7", "100 м"},  {"8", "1000 шт"}, {"9", "10 м"},   {"A", "10 м2"},
    {"B", "10 м3"},  {"C", "100 м2"}, {"D", "100 м3"},  {"E", "1 км"},   {"F", "компл"},
    {"G", "маш.-ч"}, {"H", "чел.-ч"}, {"I", "10 т"},    {"J", "100 шт"}, {"K", "пог. м"},
};

// Replaces an earlier copy of the table, with the production index it may have been given.
void removeEarlierTable(const std::string& path) {
    for (const std::string& file : {path, path.substr(0, path.size() - 4) + ".mdx"}) {
        if (platform::fileExists(file) &&
            (!platform::clearReadOnly(file) || !platform::deleteFile(file)))
            throw std::runtime_error("cannot replace " + file);
    }
}

dbf::Table& prepareTable(dbf::Table& table, const std::string& path) {
    if (!platform::createDirectories(platform::folderOf(path)))
        throw std::runtime_error("cannot create the folder of " + path);
    removeEarlierTable(path);
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    return table;
}

void writePriceTemplate(const std::string& path) {
    dbf::Table table;
    prepareTable(table, path).createTable(priceTableFields());
}

template <std::size_t N>
void writeUnitsTable(const std::string& path, const Unit (&units)[N]) {
    dbf::Table table;
    prepareTable(table, path)
        .createTable({{"ED_IZ", 'C', kUnitNameWidth, 0}, {"KEI", 'C', kUnitCodeWidth, 0}},
                     dbf::kLanguageDriverCp866);
    table.open();
    for (const Unit& unit : units) {
        table.append();
        // The suite keeps unit names in code page 866.
        table.setFieldText("ED_IZ", text::ansiToOem(text::utf8ToCp1251(unit.nameUtf8)));
        table.setFieldText("KEI", unit.code);
        table.post();
    }
    table.close();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: konvika-tables ROOT\n"
                     "writes ROOT/"
                  << kTemplatePath << " and ROOT/" << kUnitsFolder << "/Ei1.dbf, Ei2.dbf\n";
        return 2;
    }
    const std::string root = argv[1];
    try {
        writePriceTemplate(platform::joinPath(root, {"Morvel", "Shablon", "Resurs", "cenashab.dbf"}));
        const std::string units = platform::joinPath(root, {"sample", "units"});
        writeUnitsTable(platform::joinPath(units, "Ei1.dbf"), kEi1Units);
        writeUnitsTable(platform::joinPath(units, "Ei2.dbf"), kEi2Units);
    } catch (const std::exception& error) {
        // Engine messages are Windows-1251; the terminal reads UTF-8.
        std::cerr << "konvika-tables: " << text::cp1251ToUtf8(error.what()) << "\n";
        return 1;
    }
    return 0;
}
