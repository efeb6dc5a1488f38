// Stores in a program folder's mapping tables the answers an estimator would give for the
// shipped sample price file, so that the sample conversion runs to its end without asking.
// Usage: konvika-answers PROGRAM_FOLDER
#include <cstdio>
#include <exception>
#include <string>

#include "dbf/Wdbffile.h"
#include "engine/MappingTables.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace {

struct CodeAnswer {
    const char* name;
    const char* code;
};
struct UnitAnswer {
    const char* unit;
    const char* kei;
    const char* coefficient;
};

// The sample's records that neither a valid code nor a standard unit resolves.
const CodeAnswer kCodes[] = {
    {"Гвозди строительные", "С106-0001-5"},
    {"Перемычки брусковые железобетонные", "С108-0005"},
};
const UnitAnswer kUnits[] = {
    {"кв.м", "2", "1"},
    {"куб.м", "3", "1"},
    {"шт.", "6", "1"},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: konvika-answers PROGRAM_FOLDER\n");
        return 2;
    }
    const std::string root = argv[1];
    try {
        WDbfFile dbf;
        MappingTables tables(platform::joinPath(root, {"Morvel", "TKonvika", "kodper.dbf"}),
                             platform::joinPath(root, {"Morvel", "TKonvika", "edizper.dbf"}), dbf,
                             "TKonvika");
        if (!tables.OpenMappingTables()) return 1;
        for (const CodeAnswer& answer : kCodes) {
            const std::string name = text::utf8ToCp1251(answer.name);
            std::string stored;
            if (!tables.FindKod(*tables.KodTable(), name, stored))
                tables.StoreKod(*tables.KodTable(), name, text::utf8ToCp1251(answer.code));
        }
        for (const UnitAnswer& answer : kUnits) {
            const std::string unit = text::utf8ToCp1251(answer.unit);
            std::string kei, coefficient;
            if (!tables.FindEdIz(unit, kei, coefficient))
                tables.StoreEdIz(unit, answer.kei, answer.coefficient);
        }
        tables.CloseTables();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "konvika-answers: %s\n", text::cp1251ToUtf8(error.what()).c_str());
        return 1;
    }
    return 0;
}
