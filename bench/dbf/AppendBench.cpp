// Appending one record of the nine-field price table (append, nine field values as text, post)
// against the bare system calls of a posted record (one write() of the record, one pwrite() of
// the header count) on the same disk, record by record.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "engine/PriceTableLayout.h"

namespace {

const std::vector<dbf::FieldDef> kPriceFields = engine::price_table::templateFields();

std::filesystem::path benchFolder() {
    const auto folder = std::filesystem::temp_directory_path() / ("konvika-append-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

void BM_AppendPost(benchmark::State& state) {
    const auto folder = benchFolder();
    {
        dbf::Table table;
        table.setDatabaseName(folder.string());
        table.setTableName("cena.dbf");
        table.createTable(kPriceFields);
        table.open();
        // Values as the converter hands them over: code fields in code page 866, prices as text.
        const std::string prices[] = {"250.25", "17.5", "1000", "0.001"};
        std::size_t i = 0;
        for (auto _ : state) {
            table.append();
            table.setFieldText("TIP", "\x91");
            table.setFieldText("SBOR", "   101");
            table.setFieldText("TABL", " 0001");
            table.setFieldText("POZ", "   5 ");
            table.setFieldText("KEI", "3");
            table.setFieldText("C_1", prices[i % 4]);
            table.setFieldText("C_2", prices[(i + 1) % 4]);
            table.setFieldText("C1", "");
            table.setFieldText("C2", "");
            table.post();
            ++i;
        }
    }
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_AppendPost);

void BM_PhysicalPattern(benchmark::State& state) {
    const auto folder = benchFolder();
    const std::string path = (folder / "baseline.dbf").string();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::size_t length = 1;
    for (const auto& f : kPriceFields) length += static_cast<std::size_t>(f.width);
    std::string record(length, ' ');
    std::uint32_t n = 0;
    for (auto _ : state) {
        ++n;
        std::memcpy(record.data() + 1, &n, sizeof n);
        if (::write(fd, record.data(), record.size()) < 0 || ::pwrite(fd, &n, sizeof n, 4) < 0) {
            state.SkipWithError("write failed");
            break;
        }
    }
    ::close(fd);
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_PhysicalPattern);

}  // namespace

BENCHMARK_MAIN();
