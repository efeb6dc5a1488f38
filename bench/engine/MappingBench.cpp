// FindKod and FindEdIz over mapping tables of 100,000 rows, from warm caches: the tables are
// built once (through the converter's own mapping-table operations for their structure), then
// opened as a conversion opens them, and looked up in a scattered order.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "dbf/Wdbffile.h"
#include "engine/MappingTableLayout.h"
#include "engine/MappingTables.h"
#include "text/CodePages.h"

namespace {

using namespace engine;

constexpr std::size_t kRows = 100000;
// One name in ten is longer than a piece (50 characters) and takes two rows.
constexpr std::size_t kLongEvery = 10;

std::string normName(std::size_t i) {
    std::string name = "Бетон тяжёлый класса В"_w + std::to_string(i);
    if (i % kLongEvery == 0) name += ", на щебне из природного камня фракции 20-40 мм"_w;
    return name;
}

std::string unitName(std::size_t i) { return std::to_string(i) + " куб.м"_w; }

struct Fixture {
    std::filesystem::path folder;
    WDbfFile dbf;
    std::unique_ptr<MappingTables> tables;
    std::size_t names = 0;

    Fixture() {
        folder = std::filesystem::temp_directory_path() / ("konvika-mapping-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        const std::string kod = (folder / "kodper.dbf").string();
        const std::string edIz = (folder / "edizper.dbf").string();
        {
            // Created with their tags by the converter's code, then filled without the flush
            // after every row that answers typed by a person get.
            MappingTables create(kod, edIz, dbf, "TKonvika");
            if (!create.OpenMappingTables()) std::exit(1);
            create.CloseTables();
        }
        fill(kod, [this](dbf::Table& t, std::size_t& rows) {
            const std::string name = normName(names++);
            const std::size_t pieces = (name.size() + 49) / 50;
            for (std::size_t p = 0; p < pieces && rows < kRows; ++p, ++rows) {
                t.append();
                t.setFieldText(kod_table::kNameField, name.substr(p * 50, 50));
                t.setFieldText(kod_table::kPieceField, std::to_string(p + 1));
                t.setFieldText(kod_table::kCodeField, "С101-" + std::to_string(names % 9999 + 1));
                t.post();
            }
        });
        if (normName(names - 1).size() > 50) --names;  // the last name may have lost its second row
        std::size_t units = 0;
        fill(edIz, [&units](dbf::Table& t, std::size_t& rows) {
            t.append();
            t.setFieldText(ediz_table::kUnitField, unitName(units++));
            t.setFieldText(ediz_table::kUnitCodeField, "3");
            t.setFieldText(ediz_table::kCoefficientField, "0.001");
            t.post();
            ++rows;
        });
        tables = std::make_unique<MappingTables>(kod, edIz, dbf, "TKonvika");
        if (!tables->OpenMappingTables()) std::exit(1);
    }

    template <class AddRows>
    static void fill(const std::string& path, AddRows add) {
        dbf::Table t;
        t.setDatabaseName(std::filesystem::path(path).parent_path().string());
        t.setTableName(std::filesystem::path(path).filename().string());
        t.open();
        for (std::size_t rows = 0; rows < kRows;) add(t, rows);
        t.close();
    }

    ~Fixture() {
        tables.reset();
        std::filesystem::remove_all(folder);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_FindKod(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<std::string> names;
    for (std::size_t i = 0; i < f.names; ++i) names.push_back(normName(i * 7919 % f.names));
    std::string code;
    benchmark::IterationCount found = 0;
    std::size_t i = 0;
    for (auto _ : state) found += f.tables->FindKod(names[i++ % names.size()], code);
    if (found != state.iterations()) state.SkipWithError("a stored name was not found");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_FindKod);

void BM_FindKodMiss(benchmark::State& state) {
    Fixture& f = fixture();
    // Made before the loop, as for the hits: the loop times the lookups alone.
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kRows; ++i) names.push_back("Раствор"_w + std::to_string(i * 7919 % kRows));
    std::string code;
    benchmark::IterationCount found = 0;
    std::size_t i = 0;
    for (auto _ : state) found += f.tables->FindKod(names[i++ % names.size()], code);
    if (found != 0) state.SkipWithError("a name that was never stored was found");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_FindKodMiss);

void BM_FindEdIz(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<std::string> units;
    for (std::size_t i = 0; i < kRows; ++i) units.push_back(unitName(i * 7919 % kRows));
    std::string kei, coefficient;
    benchmark::IterationCount found = 0;
    std::size_t i = 0;
    for (auto _ : state) found += f.tables->FindEdIz(units[i++ % units.size()], kei, coefficient);
    if (found != state.iterations()) state.SkipWithError("a stored unit was not found");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_FindEdIz);

}  // namespace

BENCHMARK_MAIN();
