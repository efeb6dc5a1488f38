#pragma once
// Independent Debian readers and writers of dBASE files for the tests: python3-dbfread reads a
// table, python3-dbf writes one as another program would, and index_dump (libdbd-xbase-perl)
// lists the tags and keys of a production index. Text passes byte for byte (latin-1 both ways).
#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace external_readers {

inline constexpr char kPython[] = "/usr/bin/python3";
inline constexpr char kIndexDump[] = "/usr/bin/index_dump";

struct CommandResult {
    int status = -1;
    std::string output;
};

// Paths of the tests hold no single quotes; a quote would end the argument early.
inline std::string shellQuoted(const std::string& argument) { return "'" + argument + "'"; }

inline CommandResult runCommand(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 4096> buffer{};
    std::size_t count = 0;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), count);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

struct FieldInfo {
    std::string name;
    char type = '?';
    int length = 0;
    int decimals = 0;
};

struct TableDump {
    bool ok = false;
    std::string error;
    std::vector<FieldInfo> fields;
    std::vector<std::vector<std::string>> records;  // character values without trailing blanks
};

// The table as python3-dbfread reads it.
inline TableDump readWithDbfread(const std::string& path) {
    // Double quotes only: the script travels inside single quotes.
    const std::string script =
        "import sys, dbfread\n"
        "t = dbfread.DBF(sys.argv[1], encoding=\"latin-1\", load=True)\n"
        "o = sys.stdout.buffer\n"
        "for f in t.fields:\n"
        "    o.write((\"F %s %s %d %d\\n\" % (f.name, f.type, f.length, f.decimal_count))"
        ".encode(\"latin-1\"))\n"
        "for r in t.records:\n"
        "    o.write(b\"R\" + b\"\".join(b\"\\x01\" + (\"\" if v is None else str(v))"
        ".encode(\"latin-1\") for v in r.values()) + b\"\\n\")\n";
    const CommandResult run =
        runCommand(std::string(kPython) + " -c " + shellQuoted(script) + " " + shellQuoted(path));
    TableDump dump;
    if (run.status != 0) {
        dump.error = run.output;
        return dump;
    }
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("F ", 0) == 0) {
            std::istringstream words(line.substr(2));
            FieldInfo field;
            std::string type;
            words >> field.name >> type >> field.length >> field.decimals;
            field.type = type.empty() ? '?' : type[0];
            dump.fields.push_back(field);
        } else if (line.rfind("R", 0) == 0) {
            // Values are introduced by byte 0x01, which no test value holds.
            std::vector<std::string> values;
            for (std::size_t at = line.find('\x01'); at != std::string::npos;) {
                const std::size_t next = line.find('\x01', at + 1);
                values.push_back(line.substr(
                    at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
                at = next;
            }
            dump.records.push_back(values);
        }
    }
    dump.ok = true;
    return dump;
}

// Tag names of a production index, as index_dump lists them (empty when it cannot read it).
inline std::vector<std::string> mdxTags(const std::string& mdxPath) {
    const CommandResult run = runCommand(std::string(kIndexDump) + " " + shellQuoted(mdxPath));
    std::vector<std::string> tags;
    if (run.status != 0) return tags;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty()) tags.push_back(line);
    return tags;
}

// Lines "key record-number" of one tag in key order, as index_dump prints them.
inline CommandResult mdxKeys(const std::string& mdxPath, const std::string& tag) {
    return runCommand(std::string(kIndexDump) + " " + shellQuoted(mdxPath) + " " +
                      shellQuoted(tag));
}

}  // namespace external_readers
