// Feeds arbitrary source records to the converter's record parsing and code and unit resolution,
// the way the record loop does, without a dialog (an unknown record is rejected, nothing is
// stored). The mapping tables hold answers, so that found names and units scale prices too.
// Only a rejected record is an allowed outcome; an exception, a crash or a code field wider than
// its column is a finding.
//
// Input: the first byte chooses the normative base, the rest is one record as the reader hands
// it over.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "dbf/Table.h"
#include "engine/MappingTables.h"
#include "engine/PriceTableLayout.h"
#include "engine/Tkonvika.h"
#include "platform/Desktop.h"
#include "platform/Files.h"
#include "tests/support/ProgramTables.h"
#include "text/CodePages.h"
#include "units/UnitsTableLayout.h"

namespace {

// Message boxes have nobody to read them here.
class SilentDesktop : public platform::Desktop {
public:
    platform::Answer showMessage(const platform::MessageBoxRequest&) override { return platform::Answer::No; }
    void setCursor(platform::CursorShape) override {}
};

using testing_support::createEmptyTable;

void writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
    std::fclose(f);
}

std::string makeProgramFolder() {
    char pattern[] = "/tmp/engine-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) std::abort();
    const std::string root = made;
    platform::createDirectories(root + "/DLL");
    if (!platform::copyFile(GVREAD_LIBRARY_PATH, root + "/DLL/gvread.so")) std::abort();
    createEmptyTable(root + "/Morvel/Shablon/Resurs/cenashab.dbf",
                     engine::price_table::templateFields());
    for (const char* name : {"Ei1.dbf", "Ei2.dbf"}) {
        const std::string path = root + "/units/" + name;
        createEmptyTable(path, units::unitsTableFields());
        dbf::Table table;
        table.setDatabaseName(root + "/units");
        table.setTableName(name);
        table.open();
        const std::pair<const char*, const char*> units[] = {
            {"м3", "1"}, {"шт", "2"}, {"т", "3"}, {"м2", "4"}, {"100 м", "5"}, {"", "6"}};
        for (const auto& [unit, key] : units) {
            table.append();
            table.setFieldText(units::kUnitNameField, text::ansiToOem(text::utf8ToCp1251(unit)));
            table.setFieldText(units::kUnitCodeField, key);
            table.post();
        }
    }
    // Answers of an earlier run: a short name, a long one in pieces, units with coefficients.
    WDbfFile dbf;
    MappingTables mapping(root + "/Morvel/TKonvika/kodper.dbf", root + "/Morvel/TKonvika/edizper.dbf",
                          dbf, "TKonvika");
    if (!mapping.OpenMappingTables()) std::abort();
    mapping.StoreKod(text::utf8ToCp1251("Кладка стен"), text::utf8ToCp1251("С101-0001-5"));
    mapping.StoreKod(std::string(120, 'n'), "1-1-1");
    mapping.StoreKod("x", std::string(60, '9'));
    mapping.StoreEdIz(text::utf8ToCp1251("кв.м"), "4", "0.5");
    mapping.StoreEdIz("kg", "2", "1e308");
    mapping.StoreEdIz("bad", "", "not a number");
    writeFile(root + "/one.txt", "GARVENA 1\n#TABLE 1\n" + text::utf8ToCp1251("4@123-4567@Бетон@м3@@1@2") + "\n");
    return root;
}

// The conversions here run without logging: the log is never opened.
class UnusedLog final : public engine::ConversionLog {
public:
    bool Open(const std::string&, const std::string&) override { std::abort(); }
    bool WriteLine(const std::string&) override { std::abort(); }
    bool Close() override { return true; }
};

struct Converters {
    static constexpr std::array<const char*, 6> kBases = {"40", "MG419", "1", "9", "G1", ""};
    UnusedLog log;
    std::array<std::unique_ptr<TKonvika>, kBases.size()> byBase;
};

Converters& converters() {
    static SilentDesktop desktop;
    static platform::ScopedDesktop installed(desktop);
    static Converters ready;
    static const bool prepared = [] {
        const std::string root = makeProgramFolder();
        for (std::size_t i = 0; i < Converters::kBases.size(); ++i) {
            ready.byBase[i] = std::make_unique<TKonvika>(root, ready.log);
            // A conversion loads the standard units and leaves the mapping tables open.
            if (!ready.byBase[i]->Convert(Converters::kBases[i], root + "/one.txt", root + "/out.dbf", false,
                                          root + "/units", root + "/units", nullptr, nullptr))
                std::abort();
        }
        return true;
    }();
    (void)prepared;
    return ready;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    Converters& c = converters();
    TKonvika& converter = *c.byBase[data[0] % Converters::kBases.size()];
    const std::string raw(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::string record = converter.RemoveChars(converter.RemoveChars(raw, "("), ")");
    for (int n = -1; n <= 9; ++n) (void)converter.GetField(record, '@', n);
    std::string reformatted = record;
    (void)converter.ReformatSourceCode(reformatted);

    engine::SourceRecord source;
    if (!converter.ParseRecord(record, '@', source)) return 0;
    engine::PriceRecord price;
    (void)converter.ResolveCodeAndUnit(source, price);
    // The code parser fills fixed columns of the price table.
    if (price.TIP.size() > 1 || price.SBOR.size() > 6 || price.TABL.size() > 5 || price.POZ.size() > 5)
        std::abort();
    return 0;
}
