// GetKeyByName over 10,000 standard units loaded from a units-of-measure table, hits and
// misses, in a scattered order so that the lookups do not walk the entries in sequence.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "text/CodePages.h"
#include "units/Tstdedizm.h"
#include "units/UnitsTableLayout.h"

namespace {

constexpr std::size_t kUnits = 10000;

std::string unitName(std::size_t i) {
    static const std::string stems[] = {"м"_w, "м2"_w, "м3"_w, "т"_w, "кг"_w, "шт"_w, "компл"_w, "чел.-ч"_w};
    return std::to_string(i / 8 + 1) + " " + stems[i % 8];
}

// A units table of kUnits records (names in code page 866, as such tables hold them), loaded
// into the standard units once for all the benchmarks.
const TStdEdIzm& standardUnits() {
    static TStdEdIzm units;
    static bool loaded = false;
    if (loaded) return units;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("konvika-units-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    {
        dbf::Table table;
        table.setDatabaseName(folder.string());
        table.setTableName("Ei1.dbf");
        // Codes up to 10000 need a wider code field than the program's own tables give it.
        table.createTable({{units::kUnitNameField, 'C', units::kUnitNameWidth, 0},
                           {units::kUnitCodeField, 'C', 5, 0}});
        table.open();
        for (std::size_t i = 0; i < kUnits; ++i) {
            table.append();
            table.setFieldText(units::kUnitNameField, text::ansiToOem(unitName(i)));
            table.setFieldText(units::kUnitCodeField, std::to_string(i + 1));
            table.post();
        }
    }
    loaded = units.LoadFromFile((folder / "Ei1.dbf").string());
    std::filesystem::remove_all(folder);
    if (!loaded || units.Count() != static_cast<int>(kUnits)) {
        std::fprintf(stderr, "units_bench: the units table did not load\n");
        std::exit(1);
    }
    return units;
}

std::vector<std::string> scattered(bool hits) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kUnits; ++i) {
        const std::size_t n = i * 7919 % kUnits;  // 7919 is prime to kUnits: every unit once
        names.push_back(hits ? unitName(n) : unitName(n) + " ");  // a blank makes a miss
    }
    return names;
}

void lookups(benchmark::State& state, bool hits) {
    const TStdEdIzm& units = standardUnits();
    const std::vector<std::string> names = scattered(hits);
    std::string key;
    benchmark::IterationCount found = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        found += units.GetKeyByName(names[i++ % names.size()], key);
        benchmark::DoNotOptimize(key);
    }
    if ((found == state.iterations()) != hits || (!hits && found != 0))
        state.SkipWithError("lookups did not give the expected results");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_GetKeyByNameHit(benchmark::State& state) { lookups(state, true); }
void BM_GetKeyByNameMiss(benchmark::State& state) { lookups(state, false); }
BENCHMARK(BM_GetKeyByNameHit);
BENCHMARK(BM_GetKeyByNameMiss);

}  // namespace

BENCHMARK_MAIN();
