// Converts a generated source file in which every record resolves without a question and
// prints records per second and the peak resident memory. Usage: bench_convert RECORDS TABLES
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace {

void createTable(const std::string& path, const std::vector<dbf::FieldDef>& fields) {
    platform::createDirectories(platform::folderOf(path));
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    table.createTable(fields);
}

void writeUnits(const std::string& folder) {
    const std::string path = platform::joinPath(folder, "Ei1.dbf");
    createTable(path, {{"ED_IZ", 'C', 40, 0}, {"KEI", 'C', 3, 0}});
    dbf::Table table;
    table.setDatabaseName(folder);
    table.setTableName("Ei1.dbf");
    table.open();
    const char* units[] = {"м", "м2", "м3", "т", "кг", "шт", "100 м", "1000 шт", "компл"};
    int key = 0;
    for (const char* unit : units) {
        table.append();
        table.setFieldText("ED_IZ", text::ansiToOem(text::utf8ToCp1251(unit)));
        table.setFieldText("KEI", std::to_string(++key));
        table.post();
    }
    table.close();
}

std::string writeSource(const std::string& path, long records, long tables) {
    std::ofstream out(path, std::ios::binary);
    out << "GARVENA 1\n";
    const std::string name = text::utf8ToCp1251("Бетон тяжёлый класса В");
    const std::string unit = text::utf8ToCp1251("м3");
    long written = 0;
    for (long t = 0; t < tables; ++t) {
        out << "#TABLE " << t + 1 << "\n";
        const long inTable = records / tables + (t < records % tables ? 1 : 0);
        for (long r = 0; r < inTable; ++r, ++written) {
            out << "4@" << 100 + written % 900 << "-" << 1000 + written % 9000 << "@" << name << " "
                << written << "@" << unit << "@@" << written % 1000 << ",25@" << written % 500
                << ".5\n";
        }
    }
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    const long tables = argc > 2 ? std::atol(argv[2]) : 100;
    const std::string root =
        (std::filesystem::temp_directory_path() / ("konvika-bench-" + std::to_string(getpid()))).string();
    platform::createDirectories(root + "/DLL");
    platform::copyFile(GVREAD_LIBRARY_PATH, root + "/DLL/gvread.so");
    createTable(root + "/Morvel/Shablon/Resurs/cenashab.dbf",
                {{"TIP", 'C', 1, 0}, {"SBOR", 'C', 6, 0}, {"TABL", 'C', 5, 0}, {"POZ", 'C', 5, 0},
                 {"KEI", 'C', 3, 0}, {"C_1", 'N', 16, 6}, {"C_2", 'N', 16, 6}, {"C1", 'N', 16, 6},
                 {"C2", 'N', 16, 6}});
    platform::createDirectories(root + "/units");
    writeUnits(root + "/units");
    const std::string source = writeSource(root + "/prices.txt", records, tables);

    bool ok = false;
    const auto start = std::chrono::steady_clock::now();
    {
        TKonvika converter(root);
        ok = converter.Convert("40", source, root + "/price.dbf", true, "", root + "/units",
                               nullptr, nullptr);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("convert: %ld records in %ld tables, %s, %.2f s, %.0f records/s, peak RSS %.1f MB\n",
                records, tables, ok ? "ok" : "FAILED", seconds, records / seconds,
                usage.ru_maxrss / 1024.0);
    std::filesystem::remove_all(root);
    return ok ? 0 : 1;
}
