// Fuzzes the development reader library's reading: any bytes, read in chunks of a size taken
// from the input, must give exactly what a plain whole-file reading of the format gives, and
// never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gvread/ByteSource.h"
#include "gvread/Reader.h"

namespace {

struct Expected {
    int code = GV_OK;
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> records;
};

// The format read the simple way: the whole file split at LF.
Expected readPlainly(const std::string& bytes) {
    Expected e;
    if (bytes.find('\0') != std::string::npos) return {GV_ERROR_FORMAT, {}, {}};
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < bytes.size()) {
        std::size_t end = bytes.find('\n', from);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        from = end + 1;
    }
    if (lines.empty() || lines[0] != "GARVENA 1") return {GV_ERROR_FORMAT, {}, {}};
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("#TABLE", 0) == 0 && (line.size() == 6 || line[6] == ' ')) {
            e.titles.push_back(line.size() > 7 ? line.substr(7) : "");
            e.records.emplace_back();
        } else if (e.records.empty()) {
            return {GV_ERROR_FORMAT, {}, {}};
        } else {
            e.records.back().push_back(line);
        }
    }
    return e;
}

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t chunk = 1 + data[0] % 32;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Expected expected = readPlainly(bytes);

    gvread::Reader reader(chunk);
    const int code = reader.open(std::make_unique<gvread::MemorySource>(bytes));
    check(code == expected.code);
    if (code != GV_OK) {
        check(!reader.isOpen() && reader.tables() == nullptr && reader.lastError() == GV_ERROR_NOT_OPEN);
        return 0;
    }
    const GvTableId* ids = reader.tables();
    check(ids != nullptr && reader.lastError() == GV_OK);
    check(reader.tableCount() == static_cast<int>(expected.titles.size()));
    // Tables read in reverse, so that every array replaces one of another size.
    for (int t = reader.tableCount() - 1; t >= 0; --t) {
        check(reader.tableTitle(ids[t]) == expected.titles[t]);
        const char* const* records = reader.records(ids[t]);
        check(records != nullptr && reader.lastError() == GV_OK);
        const auto& want = expected.records[t];
        check(reader.recordCount() == static_cast<int>(want.size()));
        for (std::size_t r = 0; r < want.size(); ++r) check(records[r] == want[r]);
        check(records[want.size()] == nullptr);
        check(reader.record(static_cast<int>(want.size())) == nullptr);
    }
    check(reader.records(gvread::Reader::kFirstTableId + static_cast<GvTableId>(expected.titles.size())) == nullptr);
    check(reader.lastError() == GV_ERROR_RANGE);
    check(reader.close() == GV_OK);
    return 0;
}
