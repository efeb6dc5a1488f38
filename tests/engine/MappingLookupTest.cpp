// Lookups in mapping tables large and busy enough that the engine answers them from memory:
// names over many index nodes, names that share pieces or span several rows, and answers
// stored between lookups, which must be found at once and never hide older ones.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dbf/Wdbffile.h"
#include "engine/MappingTables.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

namespace {

using testing_support::RecordingDesktop;
using testing_support::TempFolder;

class Session {
public:
    explicit Session(const TempFolder& root)
        : tables_(std::make_unique<MappingTables>(root.file("kodper.dbf"), root.file("edizper.dbf"), dbf_,
                                                  "TKonvika")) {
        opened = tables_->OpenMappingTables();
    }
    MappingTables& tables() { return *tables_; }
    bool opened = false;

private:
    WDbfFile dbf_;
    std::unique_ptr<MappingTables> tables_;
};

struct Answer {
    std::string name, code;
};

// Names of one to three pieces; after every fifth long one comes a name that shares its first
// piece, after every seventh long one its first piece alone.
std::vector<Answer> answers(std::size_t count) {
    std::vector<Answer> all;
    for (std::size_t i = 0; all.size() < count; ++i) {
        const std::string number = std::to_string(i);
        std::string name = "Бетон тяжёлый класса В"_w + number;
        if (i % 3 == 1) name += std::string(60, '-') + number;
        if (i % 3 == 2) name += std::string(120, '=') + number;
        all.push_back({name, "К"_w + number});
        if (i % 5 == 0 && name.size() > 50)
            all.push_back({name.substr(0, 50) + "другое"_w, "Д"_w + number});
        if (i % 7 == 0 && name.size() > 50) all.push_back({name.substr(0, 50), "П"_w + number});
    }
    return all;
}

void expectAllFound(MappingTables& tables, const std::vector<Answer>& stored, const char* when) {
    for (const Answer& answer : stored) {
        std::string code = "unchanged";
        ASSERT_TRUE(tables.FindKod(answer.name, code)) << when;
        ASSERT_EQ(code, answer.code) << when;
    }
}

}  // namespace

TEST(MappingLookup, EveryNameIsFoundWithItsOwnCodeInALargeTable) {
    TempFolder root;
    RecordingDesktop desktop;
    const std::vector<Answer> stored = answers(150);
    {
        Session session(root);
        ASSERT_TRUE(session.opened);
        for (const Answer& answer : stored) session.tables().StoreKod(answer.name, answer.code);
        expectAllFound(session.tables(), stored, "while storing");
    }
    Session later(root);
    ASSERT_TRUE(later.opened);
    // Twice: the first pass seeks down the tree, the second is answered from memory.
    expectAllFound(later.tables(), stored, "first pass");
    expectAllFound(later.tables(), stored, "second pass");
    std::string code = "unchanged";
    // A longer name than the one stored is another name, even when it only adds a piece.
    for (const Answer& answer : stored) ASSERT_FALSE(later.tables().FindKod(answer.name + "x", code)) << answer.name;
    EXPECT_EQ(code, "unchanged");
}

TEST(MappingLookup, AnswersStoredBetweenLookupsAreFoundAtOnce) {
    TempFolder root;
    RecordingDesktop desktop;
    Session session(root);
    ASSERT_TRUE(session.opened);
    const std::vector<Answer> all = answers(150);
    const std::vector<Answer> first(all.begin(), all.begin() + 100);
    for (const Answer& answer : first) session.tables().StoreKod(answer.name, answer.code);
    expectAllFound(session.tables(), first, "before");
    expectAllFound(session.tables(), first, "before, again");
    std::string code;
    for (std::size_t i = 100; i < all.size(); ++i) {
        // (A name that is the first piece of a stored one is found through it before it is stored.)
        if (all[i].name.size() < 50) {
            ASSERT_FALSE(session.tables().FindKod(all[i].name, code)) << i;
        }
        session.tables().StoreKod(all[i].name, all[i].code);
        ASSERT_TRUE(session.tables().FindKod(all[i].name, code)) << i;
        ASSERT_EQ(code, all[i].code) << i;
        // Storing a name again under another code leaves the first answer in force.
        session.tables().StoreKod(all[i - 100].name, "НОВЫЙ"_w);
        ASSERT_TRUE(session.tables().FindKod(all[i - 100].name, code)) << i;
        ASSERT_EQ(code, all[i - 100].code) << i;
    }
}

TEST(MappingLookup, UnitsStoredBetweenLookupsAreFoundAtOnce) {
    TempFolder root;
    RecordingDesktop desktop;
    Session session(root);
    ASSERT_TRUE(session.opened);
    std::string kei, coefficient;
    for (int i = 0; i < 150; ++i) session.tables().StoreEdIz(std::to_string(i) + " м"_w, "3", "0.001");
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < 150; ++i) {
            ASSERT_TRUE(session.tables().FindEdIz("  " + std::to_string(i) + " м "_w, kei, coefficient));
            ASSERT_EQ(kei, "3");
            ASSERT_EQ(coefficient, "0.001");
        }
    for (int i = 150; i < 170; ++i) {
        const std::string unit = std::to_string(i) + " т"_w;
        ASSERT_FALSE(session.tables().FindEdIz(unit, kei, coefficient));
        session.tables().StoreEdIz(unit, std::to_string(i % 10), " 1000 ");
        ASSERT_TRUE(session.tables().FindEdIz(unit, kei, coefficient));
        EXPECT_EQ(kei, std::to_string(i % 10));
        EXPECT_EQ(coefficient, "1000");
        // A unit stored twice keeps its first answer.
        session.tables().StoreEdIz(std::to_string(i - 150) + " м"_w, "9", "9");
        ASSERT_TRUE(session.tables().FindEdIz(std::to_string(i - 150) + " м"_w, kei, coefficient));
        EXPECT_EQ(kei, "3");
    }
}

namespace {

// Marks physical rows of a table deleted, as another dBASE program does: the flag byte only,
// the index keeps their keys.
void deleteRows(const std::string& path, const std::vector<std::uint32_t>& rows) {
    std::string bytes = testing_support::readFileBytes(path);
    const auto u16At = [&bytes](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    const std::size_t headerLength = u16At(8), recordLength = u16At(10);
    for (std::uint32_t row : rows) bytes[headerLength + (row - 1) * recordLength] = '*';
    testing_support::writeFileBytes(path, bytes);
}

}  // namespace

TEST(MappingLookup, RowsDeletedByAnotherProgramDoNotEndTheTableEarly) {
    // Two rows at the start deleted: the rows of the names after them still follow one
    // another, and a short name is not taken for the longer one that begins with it.
    TempFolder root;
    const std::string shortName = "Бетон тяжёлый класса В15 на гравии, подвижность П3"_w.substr(0, 50);
    const std::string longName = shortName + " с добавками"_w;
    {
        RecordingDesktop quiet;
        Session session(root);
        ASSERT_TRUE(session.opened);
        ASSERT_TRUE(session.tables().StoreKod("Раствор"_w, "Р1"_w));
        ASSERT_TRUE(session.tables().StoreKod("Песок"_w, "П1"_w));
        ASSERT_TRUE(session.tables().StoreKod(longName, "Д1"_w));
        ASSERT_TRUE(session.tables().StoreKod(shortName, "К1"_w));
        session.tables().CloseTables();
    }
    deleteRows(root.file("kodper.dbf"), {1, 2});
    RecordingDesktop quiet;
    Session session(root);
    ASSERT_TRUE(session.opened);
    for (const auto& [name, code] : {std::pair{shortName, "К1"_w}, std::pair{longName, "Д1"_w}}) {
        std::string found;
        ASSERT_TRUE(session.tables().FindKod(name, found)) << text::cp1251ToUtf8(name);
        EXPECT_EQ(found, code) << text::cp1251ToUtf8(name);
    }
    std::string found = "unchanged";
    EXPECT_FALSE(session.tables().FindKod("Раствор"_w, found));
    EXPECT_EQ(found, "unchanged");
}
