// End to end, side by side: first writes the bare system-call pattern of a posted record (one
// write() of the record, one pwrite() of the header count) for as many records as the source
// holds, then converts a generated source file in which every record resolves without a
// question (valid codes; standard units, and one record in ten with a unit from the unit
// mapping table). Prints both times, their ratio and the peak resident memory, and checks that
// every record reached the output table.
//
// Usage: bench_convert [RECORDS [TABLES]] [--convert-only] [--no-check] [--root FOLDER]
//                      [--program KONVIKA]
//   --convert-only  skip the baseline (for strace and memory runs)
//   --program FILE  also run this build of the program as a process, as the suite starts it
//                   (copied into the program folder, offscreen), on the same source; its time
//                   from spawning to its exit goes beside the in-process one
//   --no-check      do not read the output table back afterwards (for counting system calls)
//   --root FOLDER   build the program folder there and keep it (default: a fresh temporary
//                   folder, removed at the end); the output table is FOLDER/price.dbf
// Lines starting with "RESULT" carry the figures for bench/run.sh.
#include <fcntl.h>
#include <sys/mman.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Tlogfile.h"
#include "bench/support/AllocationCounter.h"
#include "dbf/Table.h"
#include "dbf/Wdbffile.h"
#include "engine/MappingTables.h"
#include "engine/PriceTableLayout.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "tests/support/ProgramTables.h"
#include "text/CodePages.h"
#include "units/UnitsTableLayout.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor time of this process so far (user + system), steadier than wall time on a busy
// machine.
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // KiB on Linux
}

const std::vector<dbf::FieldDef> kPriceFields = engine::price_table::templateFields();

// Standard units (code page 866 names, as the units tables hold them).
const char* const kStandardUnits[] = {"м", "м2", "м3", "т", "кг", "шт", "100 м", "1000 шт", "компл"};
// Units that only the unit mapping table knows: unit, unit code, coefficient.
struct MappedUnit {
    const char* unit;
    const char* kei;
    const char* coefficient;
};
const MappedUnit kMappedUnits[] = {{"куб.м", "3", "1"}, {"тыс.шт", "6", "1000"}};

void writeUnits(const std::string& folder) {
    testing_support::createEmptyTable(platform::joinPath(folder, "Ei1.dbf"), units::unitsTableFields());
    dbf::Table table;
    table.setDatabaseName(folder);
    table.setTableName("Ei1.dbf");
    table.open();
    int key = 0;
    for (const char* unit : kStandardUnits) {
        table.append();
        table.setFieldText(units::kUnitNameField, text::ansiToOem(text::utf8ToCp1251(unit)));
        table.setFieldText(units::kUnitCodeField, std::to_string(++key));
        table.post();
    }
    table.close();
}

void writeMappedUnits(const std::string& root) {
    WDbfFile dbf;
    MappingTables tables(root + "/Morvel/TKonvika/kodper.dbf", root + "/Morvel/TKonvika/edizper.dbf",
                         dbf, "TKonvika");
    if (!tables.OpenMappingTables()) std::exit(1);
    for (const MappedUnit& unit : kMappedUnits)
        tables.StoreEdIz(text::utf8ToCp1251(unit.unit), unit.kei, unit.coefficient);
    tables.CloseTables();
}

// Valid codes of base 4 in the shapes the source uses: collection-table, collection-table-
// position, and the same run together.
void writeSource(const std::string& path, long records, long tables) {
    std::ofstream out(path, std::ios::binary);
    out << "GARVENA 1\n";
    const std::string name = text::utf8ToCp1251("Бетон тяжёлый класса В");
    std::vector<std::string> standard, mapped;
    for (const char* unit : kStandardUnits) standard.push_back(text::utf8ToCp1251(unit));
    for (const MappedUnit& unit : kMappedUnits) mapped.push_back(text::utf8ToCp1251(unit.unit));
    const char* const types[] = {"4", "4", "1", "3"};
    long written = 0;
    char code[32];
    for (long t = 0; t < tables; ++t) {
        out << "#TABLE " << t + 1 << "\n";
        const long inTable = records / tables + (t < records % tables ? 1 : 0);
        for (long r = 0; r < inTable; ++r, ++written) {
            const long collection = 101 + written % 899;
            const long table = 1 + (written / 7) % 9999;
            const long position = 1 + written % 97;
            switch (written % 3) {
                case 0: std::snprintf(code, sizeof code, "%ld-%04ld", collection, table); break;
                case 1: std::snprintf(code, sizeof code, "%ld-%04ld-%ld", collection, table, position); break;
                default: std::snprintf(code, sizeof code, "%ld%04ld%02ld", collection, table, 10 + position % 90); break;
            }
            const std::string& unit = written % 10 == 9 ? mapped[static_cast<std::size_t>(written / 10) % mapped.size()]
                                                        : standard[static_cast<std::size_t>(written) % standard.size()];
            out << types[written % 4] << '@' << code << '@' << name << ' ' << written << '@' << unit
                << "@@" << written % 1000 << ",25@" << written % 500 << ".5\n";
        }
    }
}

// The bare pattern for `count` records of the price table's length: the header once, then per
// record one write() of the record bytes at the end of the file and one pwrite() of the count.
double physicalPattern(const std::string& path, long count) {
    std::size_t recordLength = 1;  // the deletion flag
    for (const auto& field : kPriceFields) recordLength += static_cast<std::size_t>(field.width);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    const std::string header(32 + 32 * kPriceFields.size() + 1, '\0');
    if (::write(fd, header.data(), header.size()) != static_cast<ssize_t>(header.size())) return -1;
    std::string record(recordLength, ' ');
    const auto start = Clock::now();
    for (long i = 0; i < count; ++i) {
        std::memcpy(record.data() + 1, &i, sizeof i);  // the bytes change, as records do
        const std::uint32_t n = static_cast<std::uint32_t>(i + 1);
        if (::write(fd, record.data(), record.size()) != static_cast<ssize_t>(record.size())) return -1;
        if (::pwrite(fd, &n, sizeof n, 4) != static_cast<ssize_t>(sizeof n)) return -1;
    }
    const double took = since(start);
    ::close(fd);
    return took;
}

// The same records posted through a mapped window of the file instead: space reserved with
// fallocate a megabyte at a time (so that a full disk fails there, never as a SIGBUS), the
// record and the count stored into the mapping. What the converter would pay per record if it
// posted this way. It does not: the reserved room makes the file longer than its records while
// the table is open and after a kill, which a dBASE file written record by record never is
// (see docs/performance.md).
double mappedPattern(const std::string& path, long count) {
    std::size_t recordLength = 1;
    for (const auto& field : kPriceFields) recordLength += static_cast<std::size_t>(field.width);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    const std::size_t headerLength = 32 + 32 * kPriceFields.size() + 1;
    const std::string header(headerLength, '\0');
    if (::write(fd, header.data(), header.size()) != static_cast<ssize_t>(header.size())) return -1;
    auto* head = static_cast<char*>(::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    if (head == MAP_FAILED) return -1;
    constexpr std::size_t kWindow = 1 << 20;
    std::string record(recordLength, ' ');
    char* window = nullptr;
    std::size_t windowStart = 0, windowEnd = 0;  // file offsets the window covers
    const auto start = Clock::now();
    for (long i = 0; i < count; ++i) {
        std::memcpy(record.data() + 1, &i, sizeof i);
        const std::size_t at = headerLength + static_cast<std::size_t>(i) * recordLength;
        if (at + recordLength > windowEnd) {
            if (window != nullptr) ::munmap(window, windowEnd - windowStart);
            windowStart = at & ~static_cast<std::size_t>(4095);
            windowEnd = windowStart + kWindow;
            if (::fallocate(fd, 0, static_cast<off_t>(windowStart), static_cast<off_t>(kWindow)) != 0) return -1;
            window = static_cast<char*>(::mmap(nullptr, kWindow, PROT_READ | PROT_WRITE, MAP_SHARED, fd,
                                               static_cast<off_t>(windowStart)));
            if (window == MAP_FAILED) return -1;
        }
        std::memcpy(window + (at - windowStart), record.data(), recordLength);
        std::atomic_thread_fence(std::memory_order_release);  // the record before its count
        const std::uint32_t n = static_cast<std::uint32_t>(i + 1);
        std::memcpy(head + 4, &n, sizeof n);
    }
    const double took = since(start);
    if (window != nullptr) ::munmap(window, windowEnd - windowStart);
    ::munmap(head, 4096);
    const int cut = ::ftruncate(fd, static_cast<off_t>(headerLength + static_cast<std::size_t>(count) * recordLength));
    ::close(fd);
    return cut == 0 ? took : -1;
}

std::uint32_t recordsIn(const std::string& path) {
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    table.open();
    return table.recordCount();
}

// Runs the program as the suite starts it, offscreen, and waits for its end; the seconds from
// spawning to the exit, or a negative number when it could not run or failed.
double runProgram(const std::string& program, const std::string& argument) {
    std::vector<std::string> arguments{program, argument};
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0) environment.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    const auto start = Clock::now();
    pid_t child = -1;
    posix_spawn_file_actions_t quiet;  // Qt's notes about the offscreen platform are not figures
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&child, argv[0], &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    const double seconds = since(start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    long records = 1000000;
    long tables = 100;
    bool baseline = true;
    bool check = true;
    std::string root;
    std::string program;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--convert-only") {
            baseline = false;
        } else if (arg == "--no-check") {
            check = false;
        } else if (arg == "--program" && i + 1 < argc) {
            program = argv[++i];
        } else if (arg == "--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (positional == 0) {
            records = std::atol(argv[i]), ++positional;
        } else {
            tables = std::atol(argv[i]), ++positional;
        }
    }
    if (records < 1 || tables < 1) {
        std::fprintf(stderr, "usage: bench_convert [RECORDS [TABLES]] [--convert-only] [--no-check] [--root FOLDER] [--program KONVIKA]\n");
        return 2;
    }
    const bool keep = !root.empty();
    if (!keep)
        root = (std::filesystem::temp_directory_path() / ("konvika-bench-" + std::to_string(getpid()))).string();
    std::filesystem::remove_all(root);
    platform::createDirectories(root + "/DLL");
    platform::copyFile(GVREAD_LIBRARY_PATH, root + "/DLL/gvread.so");
    testing_support::createEmptyTable(root + "/Morvel/Shablon/Resurs/cenashab.dbf", kPriceFields);
    platform::createDirectories(root + "/units");
    writeUnits(root + "/units");
    writeMappedUnits(root);
    const std::string source = root + "/prices.txt";
    writeSource(source, records, tables);
    const std::string output = root + "/price.dbf";

    double baselineSeconds = 0, baselineCpu = 0, mappedSeconds = 0;
    if (baseline) {
        const double cpuStart = cpuSeconds();
        baselineSeconds = physicalPattern(root + "/baseline.dbf", records);
        baselineCpu = cpuSeconds() - cpuStart;
        mappedSeconds = mappedPattern(root + "/mapped.dbf", records);
        std::filesystem::remove(root + "/mapped.dbf");
        std::filesystem::remove(root + "/baseline.dbf");
        if (baselineSeconds < 0) {
            std::fprintf(stderr, "bench_convert: the baseline file could not be written\n");
            return 1;
        }
    }

    bool ok = false;
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    const std::size_t allocationsBefore = bench_support::allocationCount();
    {
        TLogFile logFile;
        TKonvika converter(root, logFile);
        ok = converter.Convert("40", source, output, true, "", root + "/units", nullptr, nullptr);
    }
    const double seconds = since(start);
    const double cpu = cpuSeconds() - cpuBefore;
    const auto convertAllocations = static_cast<long>(bench_support::allocationCount() - allocationsBefore);
    const double rss = peakRssMegabytes();
    const std::uint32_t posted = ok && check ? recordsIn(output) : 0;
    ok = ok && (!check || posted == static_cast<std::uint32_t>(records));

    std::printf("convert: %ld records in %ld tables, %s (%u posted), %.3f s (%.3f s processor), %.0f records/s, peak RSS %.1f MB\n",
                records, tables, ok ? "ok" : "FAILED", posted, seconds, cpu, records / seconds, rss);
    if (baseline) {
        std::printf("physical pattern (write + pwrite per record): %.3f s (%.3f s processor), %.0f records/s\n",
                    baselineSeconds, baselineCpu, records / baselineSeconds);
        std::printf("ratio convert / physical pattern: %.2f (processor time: %.2f)\n", seconds / baselineSeconds,
                    cpu / baselineCpu);
        std::printf("RESULT baseline_seconds %.4f\n", baselineSeconds);
        std::printf("RESULT baseline_cpu_seconds %.4f\n", baselineCpu);
        std::printf("RESULT ratio %.4f\n", seconds / baselineSeconds);
        std::printf("RESULT cpu_ratio %.4f\n", cpu / baselineCpu);
        std::printf("the same records through a mapped window (not how the converter posts): %.3f s\n",
                    mappedSeconds);
        std::printf("RESULT mapped_pattern_seconds %.4f\n", mappedSeconds);
    }
    if (!program.empty()) {
        // The program finds its tables beside itself: it runs from the bench's program folder.
        const std::string copy = root + "/konvika";
        std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
        const std::string programOutput = root + "/price-program.dbf";
        const double programSeconds =
            runProgram(copy, "40?" + source + "?" + programOutput + "??" + root + "/units?");
        const std::uint32_t programPosted = programSeconds >= 0 ? recordsIn(programOutput) : 0;
        const bool programOk = programSeconds >= 0 && programPosted == static_cast<std::uint32_t>(records);
        ok = ok && programOk;
        std::printf("the program as a process: %s (%u posted), %.3f s\n", programOk ? "ok" : "FAILED",
                    programPosted, programSeconds);
        std::printf("RESULT program_seconds %.4f\n", programSeconds);
        if (baseline) {
            std::printf("ratio program / physical pattern: %.2f\n", programSeconds / baselineSeconds);
            std::printf("RESULT program_ratio %.4f\n", programSeconds / baselineSeconds);
        }
    }
    std::printf("allocations during the conversion: %ld (%.3f per record)\n", convertAllocations,
                static_cast<double>(convertAllocations) / static_cast<double>(records));
    std::printf("RESULT allocations_per_record %.4f\n",
                static_cast<double>(convertAllocations) / static_cast<double>(records));
    std::printf("RESULT records %ld\n", records);
    std::printf("RESULT convert_seconds %.4f\n", seconds);
    std::printf("RESULT convert_cpu_seconds %.4f\n", cpu);
    std::printf("RESULT peak_rss_mb %.2f\n", rss);
    std::printf("RESULT ok %d\n", ok ? 1 : 0);
    if (!keep) std::filesystem::remove_all(root);
    return ok ? 0 : 1;
}
