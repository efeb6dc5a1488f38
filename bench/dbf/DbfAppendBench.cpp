// Appends records of the nine-field price table, each posted at once, and compares the time
// with the bare system-call pattern of a posted record (one write of the record, one pwrite of
// the header count); then appends to and seeks in an indexed mapping table. Prints figures.
//
// Usage: dbf_append_bench [records [folder]]   (defaults: 1000000, a fresh folder under /tmp)
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "engine/MappingTableLayout.h"
#include "engine/PriceTableLayout.h"

namespace {

using namespace engine;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Processor time of this process (user + system): steadier than wall time on a busy machine.
double cpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long peakRssKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

const std::vector<dbf::FieldDef> kPriceFields = engine::price_table::templateFields();

struct Row {
    char sbor[8], tabl[8], poz[8], kei[8], c1[16], c2[16];
};

// The next generated record; a small pool of them is made before the timed loop, so the bench
// neither times its own formatting nor holds more memory than the engine does.
void makeRow(std::mt19937& rng, Row& r) {
    const auto next = [&rng] { return static_cast<unsigned>(rng()); };
    std::snprintf(r.sbor, sizeof r.sbor, "%u", 1 + next() % 47);
    std::snprintf(r.tabl, sizeof r.tabl, "%u", 1 + next() % 99);
    std::snprintf(r.poz, sizeof r.poz, "%u", 1 + next() % 999);
    std::snprintf(r.kei, sizeof r.kei, "%u", 100 + next() % 900);
    std::snprintf(r.c1, sizeof r.c1, "%u.%02u", next() % 100000, next() % 100);
    std::snprintf(r.c2, sizeof r.c2, "%u.5", next() % 1000);
}

// The bare pattern: the record bytes (already formatted) and the end marker in one write,
// then the count in one pwrite.
double physicalPattern(const std::string& path, std::size_t count, std::size_t recordLength) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return -1;
    std::string header(32 + 32 * kPriceFields.size() + 1, '\0');
    if (::write(fd, header.data(), header.size()) < 0) return -1;
    std::string record(recordLength, ' ');
    record += '\x1A';
    const auto start = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t n = static_cast<std::uint32_t>(i + 1);
        if (::pwrite(fd, record.data(), record.size(), static_cast<off_t>(header.size() + i * recordLength)) <
            0)
            return -1;
        if (::pwrite(fd, &n, 4, 4) < 0) return -1;
    }
    const double took = seconds(start);
    ::close(fd);
    return took;
}

double engineAppends(const std::string& folder, std::size_t count) {
    dbf::Table table;
    table.setDatabaseName(folder);
    table.setTableName("cena.dbf");
    table.createTable(kPriceFields);
    table.open();
    std::mt19937 rng(7);
    std::vector<Row> pool(4096);
    for (Row& row : pool) makeRow(rng, row);
    const auto start = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        const Row& r = pool[i % pool.size()];
        table.append();
        table.setFieldText(price_table::kTypeField, "E");
        table.setFieldText(price_table::kCollectionField, r.sbor);
        table.setFieldText(price_table::kTableField, r.tabl);
        table.setFieldText(price_table::kPositionField, r.poz);
        table.setFieldText(price_table::kUnitCodeField, r.kei);
        table.setFieldText(price_table::kPrice1Field, r.c1);
        table.setFieldText(price_table::kPrice2Field, r.c2);
        table.setFieldText(price_table::kBlankPrice1Field, "");
        table.setFieldText(price_table::kBlankPrice2Field, "");
        table.post();
    }
    const double took = seconds(start);
    table.close();
    return took;
}

void indexedMappingTable(const std::string& folder, std::size_t count) {
    dbf::Table table;
    table.setDatabaseName(folder);
    table.setTableName("kodper.dbf");
    table.setExclusive(true);
    table.createTable(kod_table::fields());
    table.addTag(kod_table::kTag, kod_table::kIndexes[0].Expression, dbf::TagOption::Expression,
                 kod_table::kNameField);
    table.open();
    std::mt19937 rng(11);
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Norm %u piece %zu", static_cast<unsigned>(rng()), i);
        names.emplace_back(name);
    }
    auto start = Clock::now();
    for (const auto& name : names) {
        table.append();
        table.setFieldText(kod_table::kNameField, name);
        table.setFieldText(kod_table::kPieceField, "1");
        table.setFieldText(kod_table::kCodeField, "E1-1-1");
        table.post();
    }
    const double appendTime = seconds(start);
    table.close();
    start = Clock::now();
    table.setExclusive(false);
    table.selectTag(kod_table::kTag);
    table.open();
    const double openTime = seconds(start);
    std::size_t found = 0;
    const double seekCpuStart = cpuSeconds();
    start = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        table.setKey();
        table.setFieldText(kod_table::kNameField, names[(i * 7919) % count]);
        table.setFieldText(kod_table::kPieceField, "1");
        found += table.gotoKey() ? 1 : 0;
    }
    const double seekTime = seconds(start);
    const double seekCpu = cpuSeconds() - seekCpuStart;
    std::printf("indexed mapping table: %zu appends in %.3f s (%.0f records/s)\n", count, appendTime,
                count / appendTime);
    std::printf("open with index check: %.3f s\n", openTime);
    std::printf("exact seeks: %zu in %.3f s (%.0f seeks/s; %.0f per processor second), %zu found\n", count,
                seekTime, count / seekTime, count / seekCpu, found);
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    std::string folder;
    if (argc > 2) {
        folder = argv[2];
    } else {
        char pattern[] = "/tmp/dbf-bench-XXXXXX";
        if (!::mkdtemp(pattern)) return 1;
        folder = pattern;
    }
    std::size_t recordLength = 1;
    for (const auto& f : kPriceFields) recordLength += static_cast<std::size_t>(f.width);

    double cpu = cpuSeconds();
    const double baseline = physicalPattern(folder + "/baseline.dbf", count, recordLength);
    const double baselineCpu = cpuSeconds() - cpu;
    cpu = cpuSeconds();
    const double engine = engineAppends(folder, count);
    const double engineCpu = cpuSeconds() - cpu;
    const long engineRss = peakRssKb();
    std::printf("records: %zu of %zu bytes\n", count, recordLength);
    std::printf("physical pattern (write + pwrite per record): %.3f s (%.0f records/s)\n", baseline,
                count / baseline);
    std::printf("engine append + 9 fields + post: %.3f s (%.0f records/s), ratio %.2f\n", engine,
                count / engine, engine / baseline);
    std::printf("processor time: physical pattern %.3f s, engine %.3f s, ratio %.2f\n", baselineCpu,
                engineCpu, engineCpu / baselineCpu);
    indexedMappingTable(folder, std::min<std::size_t>(count, 100000));
    std::printf("peak RSS after the price-table appends: %ld kB; at the end: %ld kB\n", engineRss,
                peakRssKb());
    std::remove((folder + "/baseline.dbf").c_str());
    std::remove((folder + "/cena.dbf").c_str());
    std::remove((folder + "/kodper.dbf").c_str());
    std::remove((folder + "/kodper.mdx").c_str());
    if (argc <= 2) ::rmdir(folder.c_str());
    return 0;
}
