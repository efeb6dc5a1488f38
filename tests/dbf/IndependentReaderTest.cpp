// Our tables read by python3-dbfread, and a table written by python3-dbf read by our engine.
#include <gtest/gtest.h>

#include "dbf/Table.h"
#include "tests/dbf/ExternalTool.h"
#include "tests/dbf/TableTestSupport.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using dbf_test::kPython;
using dbf_test::runTool;
using testing_support::TempFolder;

namespace {

// Prints every record as "field=value;..." lines, decoded with the table's own language driver.
const char* kDbfreadDump = R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], char_decode_errors='strict')
print('encoding', t.encoding, 'count', len(t))
for r in t:
    print(';'.join('%s=%r' % (k, v) for k, v in r.items()))
)";

bool havePythonModule(const char* module) {
    return runTool(kPython, {"-c", std::string("import ") + module}).status == 0;
}

}  // namespace

TEST(IndependentReader, DbfreadReadsWindows1251TableWithNumbers) {
    if (!havePythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
    TempFolder dir;
    dbf_test::createWithRows(dir.path(), "kodper.dbf",
                             {{"NAME_SP", 'C', 50, 0}, {"ROST", 'C', 2, 0}, {"CENA", 'N', 12, 2}},
                             {{"  Бетон тяжёлый"_w, "1", "1234.5"}, {"Щебень"_w, "2", ""}, {"x", "", "-7"}});
    const auto result = runTool(kPython, {"-c", kDbfreadDump, dir.file("kodper.dbf")});
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output,
              "encoding cp1251 count 3\n"
              "NAME_SP='  Бетон тяжёлый';ROST='1';CENA=1234.5\n"
              "NAME_SP='Щебень';ROST='2';CENA=None\n"
              "NAME_SP='x';ROST='';CENA=-7.0\n");
}

TEST(IndependentReader, DbfreadDecodesOemTablesAsCodePage866) {
    if (!havePythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
    TempFolder dir;
    auto table = dbf_test::tableAt(dir.path(), "ei1.dbf");
    table->createTable({{"ED_IZ", 'C', 10, 0}}, dbf::kLanguageDriverCp866);
    table->open();
    table->append();
    table->setFieldText("ED_IZ", text::ansiToOem("м3"_w));
    table->post();
    table->close();
    const auto result = runTool(kPython, {"-c", kDbfreadDump, dir.file("ei1.dbf")});
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output, "encoding cp866 count 1\nED_IZ='м3'\n");
}

TEST(IndependentReader, TableWrittenByPythonDbfOpensInOurEngine) {
    if (!havePythonModule("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
    TempFolder dir;
    const char* script = R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'KOD C(10); NAME C(20); PRICE N(10,2); DAY D; OK L', dbf_type='db3', codepage='cp1251')
t.open(dbf.READ_WRITE)
t.append(('A1', 'Цемент', 12.5, dbf.Date(2024, 1, 31), True))
t.append(('B2', 'Песок', -3.25, None, False))
t.append(('C3', '', 0, None, None))
dbf.delete(t[2])
t.close()
)";
    const auto result = runTool(kPython, {"-c", script, dir.file("made.dbf")});
    ASSERT_EQ(result.status, 0) << result.output;
    auto table = dbf_test::tableAt(dir.path(), "made.dbf");
    table->open();
    EXPECT_EQ(table->recordCount(), 2u);
    EXPECT_EQ(table->fields().size(), 5u);
    EXPECT_EQ(dbf_test::readAll(*table, {"KOD", "NAME", "PRICE", "DAY", "OK"}),
              (std::vector<std::string>{"A1|"_w + "Цемент"_w + "|12.50|20240131|T",
                                        "B2|"_w + "Песок"_w + "|-3.25||F"}));
    // And we can go on appending to it.
    table->close();
    table->setExclusive(true);
    table->open();
    table->append();
    table->setFieldText("KOD", "D4");
    table->setFieldText("PRICE", "1");
    table->post();
    table->close();
    const auto check = runTool(kPython, {"-c", kDbfreadDump, dir.file("made.dbf")});
    ASSERT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("KOD='D4';NAME='';PRICE=1.0"), std::string::npos) << check.output;
}

TEST(IndependentReader, VisualFoxProAndClipperTablesOpenInOurEngine) {
    if (!havePythonModule("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
    for (const char* kind : {"vfp", "clp"}) {
        SCOPED_TRACE(kind);
        TempFolder dir;
        const char* script = R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'KOD C(10); PRICE N(10,2)', dbf_type=sys.argv[2], codepage='cp1251')
t.open(dbf.READ_WRITE)
t.append(('A1', 12.5))
t.append(('B2', -3))
t.close()
)";
        const auto result = runTool(kPython, {"-c", script, dir.file("t.dbf"), kind});
        ASSERT_EQ(result.status, 0) << result.output;
        auto table = dbf_test::tableAt(dir.path(), "t.dbf");
        table->open();
        EXPECT_EQ(dbf_test::readAll(*table, {"KOD", "PRICE"}),
                  (std::vector<std::string>{"A1|12.50", "B2|-3.00"}));
    }
}
