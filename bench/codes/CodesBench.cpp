// Codes per second through ParseKod + CheckKodParts, called exactly as the converter's
// resolution calls them for every record: the trimmed code in, the four fields trimmed before
// the check. Valid codes of every base letter, and codes that go the raw way.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/AllocationCounter.h"
#include "codes/Clgetkod.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

namespace {

// The type letters of the source records (Windows-1251).
const std::string& letter(std::size_t i) {
    static const std::vector<std::string> letters = {"С"_w, "Х"_w, "З"_w};
    return letters[i % letters.size()];
}

// Codes in the shapes the converter hands over: collection-table, collection-table-position,
// with suffix letters and position numbers of one to three digits.
std::vector<std::string> codesOfBase(char base, std::size_t count) {
    std::vector<std::string> codes;
    codes.reserve(count);
    char buffer[64];
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned collection = 101 + static_cast<unsigned>(i * 7 % 899);
        const unsigned table = 1 + static_cast<unsigned>(i * 13 % 9999);
        const unsigned position = 1 + static_cast<unsigned>(i % 997);
        switch (base) {
            case 'M':
                std::snprintf(buffer, sizeof buffer, "%u.%u-%u-%u", 1 + static_cast<unsigned>(i % 99),
                              collection, table % 100 + 1, position);
                break;
            case 'G':
                std::snprintf(buffer, sizeof buffer, "%02u-%02u-%03u-%02u", 1 + static_cast<unsigned>(i % 50),
                              1 + static_cast<unsigned>(i % 99), table % 999 + 1, position % 99 + 1);
                break;
            default:
                if (i % 2 == 0) std::snprintf(buffer, sizeof buffer, "%u-%04u", collection, table);
                else std::snprintf(buffer, sizeof buffer, "%u-%04u-%u", collection, table, position);
                break;
        }
        codes.push_back((base == 'G' ? "Е"_w : letter(i)) + buffer);
    }
    return codes;
}

void parseAndCheck(benchmark::State& state, char base, const std::vector<std::string>& codes,
                   bool expectValid) {
    ClGetKod parser;
    std::string TIP, SBOR, TABL, POZ;
    std::size_t valid = 0;
    for (const std::string& code : codes) {
        parser.ParseKod(text::trimmed(code), base, TIP, SBOR, TABL, POZ);
        valid += parser.CheckKodParts(text::trimmed(TIP), text::trimmed(SBOR), text::trimmed(TABL),
                                      text::trimmed(POZ), base);
    }
    if ((valid == codes.size()) != expectValid) {
        state.SkipWithError("the generated codes are not what the bench expects");
        return;
    }
    std::size_t i = 0;
    const std::size_t allocationsBefore = bench_support::allocationCount();
    for (auto _ : state) {
        const std::string& code = codes[i++ % codes.size()];
        parser.ParseKod(text::trimmed(code), base, TIP, SBOR, TABL, POZ);
        benchmark::DoNotOptimize(parser.CheckKodParts(text::trimmed(TIP), text::trimmed(SBOR),
                                                      text::trimmed(TABL), text::trimmed(POZ), base));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.counters["allocations_per_code"] =
        static_cast<double>(bench_support::allocationCount() - allocationsBefore) / static_cast<double>(state.iterations());
}

void valid(benchmark::State& state, char base) {
    static const std::vector<std::string> codes4 = codesOfBase('4', 4096);
    static const std::vector<std::string> codes9 = codesOfBase('9', 4096);
    static const std::vector<std::string> codesG = codesOfBase('G', 4096);
    static const std::vector<std::string> codesM = codesOfBase('M', 4096);
    const auto& codes = base == '4' ? codes4 : base == '9' ? codes9 : base == 'G' ? codesG : codesM;
    parseAndCheck(state, base, codes, true);
}

// Base 4 is the converter's case in the end-to-end bench; the others take other branches.
void BM_ParseAndCheckBase4(benchmark::State& state) { valid(state, '4'); }
void BM_ParseAndCheckBase9(benchmark::State& state) { valid(state, '9'); }
void BM_ParseAndCheckBaseG(benchmark::State& state) { valid(state, 'G'); }
void BM_ParseAndCheckBaseM(benchmark::State& state) { valid(state, 'M'); }
BENCHMARK(BM_ParseAndCheckBase4);
BENCHMARK(BM_ParseAndCheckBase9);
BENCHMARK(BM_ParseAndCheckBaseG);
BENCHMARK(BM_ParseAndCheckBaseM);

// Codes no base accepts (a trailing dash, a dotted raw code): the parser cuts them raw.
void BM_ParseAndCheckRaw(benchmark::State& state) {
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> c;
        for (unsigned i = 0; i < 4096; ++i)
            c.push_back("С"_w + std::to_string(101 + i % 899) + (i % 2 ? "-1-5-" : ".5"));
        return c;
    }();
    parseAndCheck(state, '4', codes, false);
}
BENCHMARK(BM_ParseAndCheckRaw);

}  // namespace

BENCHMARK_MAIN();
