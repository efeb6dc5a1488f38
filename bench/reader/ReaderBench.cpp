// Reads generated source price files of many records through the binding and the development
// reader library, as the converter does, and prints the speed and the peak memory: memory must
// follow the largest table, not the file. Each file is read in a child process of its own so
// that the peak of one does not hide the other.
//
// usage: reader_bench [RECORDS] [TABLES...]   (defaults: 1000000 records; 100 tables, then 1)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "reader/Tspdll.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

double peakRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
}

bool generate(const std::string& path, unsigned long records, unsigned long tables) {
    std::vector<std::string> arguments{KONVIKA_SAMPLE_TOOL, "--output", path, "--records", std::to_string(records),
                                       "--tables", std::to_string(tables), "--seed", "1",
                                       "--invalid-percent", "5", "--odd-units-percent", "5"};
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1 /* O_WRONLY */, 0);
    pid_t child = 0;
    int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The converter's calling order over the whole file; every record is looked at.
int readFile(const std::string& programFolder, const std::string& path, unsigned long expected) {
    const double rssBefore = peakRssMegabytes();
    TSPDLL gv(programFolder);
    const double rssLoaded = peakRssMegabytes();
    const double fileMegabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

    Clock::time_point start = Clock::now();
    if (gv.gvOpen(path.c_str()) != GV_OK) return 1;
    const double openSeconds = seconds(start);

    start = Clock::now();
    const GvTableId* tables = gv.gvGetTables();
    if (gv.gvGetError() != GV_OK) return 1;
    const int tableCount = gv.gvGetCountT();
    unsigned long records = 0;
    unsigned long long bytes = 0;
    int largestBuffer = 0;
    for (int t = 0; t < tableCount; ++t) {
        const char* const* texts = gv.gvGetRecords(tables[t]);
        if (gv.gvGetError() != GV_OK) return 1;
        const int count = gv.gvGetCountR();
        for (int r = 0; r < count; ++r) bytes += std::strlen(texts[r]);
        records += static_cast<unsigned long>(count);
        if (gv.gvSizeBuffer() > largestBuffer) largestBuffer = gv.gvSizeBuffer();
    }
    const double readSeconds = seconds(start);
    if (gv.gvClose() != GV_OK || records != expected) return 1;

    std::printf("%lu records in %d tables, file %.1f MB (%llu record bytes)\n", records, tableCount,
                fileMegabytes, bytes);
    std::printf("  %-28s %8.3f s  %10.0f MB/s\n", "gvOpen (index the file)", openSeconds,
                fileMegabytes / openSeconds);
    std::printf("  %-28s %8.3f s  %10.0f records/s\n", "gvGetRecords, every table", readSeconds,
                static_cast<double>(records) / readSeconds);
    std::printf("  %-28s %8.3f s  %10.0f records/s\n", "open + read", openSeconds + readSeconds,
                static_cast<double>(records) / (openSeconds + readSeconds));
    std::printf("  %-28s %8.1f MB (%.1f MB before loading, %.1f MB loaded)\n", "peak RSS", peakRssMegabytes(),
                rssBefore, rssLoaded);
    std::printf("  %-28s %8.1f MB\n", "largest record array", largestBuffer / 1e6);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned long records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    std::vector<unsigned long> tableCounts;
    for (int i = 2; i < argc; ++i) tableCounts.push_back(std::strtoul(argv[i], nullptr, 10));
    if (tableCounts.empty()) tableCounts = {100, 1};

    char pattern[] = "/tmp/konvika-reader-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::string folder = pattern;
    std::filesystem::create_directories(folder + "/DLL");
    std::filesystem::copy_file(GVREAD_LIBRARY, folder + "/DLL/gvread.so");

    int failures = 0;
    for (unsigned long tables : tableCounts) {
        const std::string path = folder + "/prices-" + std::to_string(tables) + ".txt";
        if (!generate(path, records, tables)) {
            std::fprintf(stderr, "reader_bench: konvika-sample failed\n");
            ++failures;
            continue;
        }
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int status = readFile(folder, path, records);
            std::fflush(stdout);
            _exit(status);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "reader_bench: reading %s failed\n", path.c_str());
            ++failures;
        }
        std::filesystem::remove(path);
    }
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}
