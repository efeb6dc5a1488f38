#pragma once
// A table object of our dBASE engine: one dBASE III/IV (or level 7) table file (.dbf) and its
// dBASE IV production index (.mdx: the table's name with the extension ".mdx", beside it). This is the
// engine the table helper (WDbfFile), the standard-units loader, the mapping tables, the
// price-record writer and the units grid work with. Every failure raises dbf::EngineError
// naming the file.
//
// Lifecycle: a new object is inactive; set the folder and file name (and exclusive mode), then
// open() activates it: the file is opened (shared: other shared openers allowed; exclusive:
// nobody else) and the table stands on its first record. close() deactivates it; a record
// appended but not posted is discarded. Shared openers may read side by side, but only one of
// them may append at a time (the program never appends to a table from two objects).
// Opening checks every tag of the production index against the records and raises an error
// when they disagree, so a damaged index is never used (the table helper then rebuilds it).
// Every post keeps every tag up to date (character and numeric keys, descending, unique, key
// expressions: docs/mdx-format.md). A tag we cannot keep is left as it is: it cannot be
// selected, and a post raises an error naming it (EngineError::unsupported), nothing written.
//
// Field values are text. Character fields are read without their trailing blanks and assigned
// cut to their width and padded with blanks; numeric fields read as their number text and are
// assigned from text with a point as decimal separator (empty text leaves the field blank; a
// value that does not fit raises an error); date fields take YYYYMMDD, logical fields one of
// T, F, Y, N, ?. Text passes byte for byte, never translated.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dbf {

struct FieldDef {
    std::string name;  // up to 10 characters
    char type = 'C';   // C, N, F, D, L (others are read as text)
    int width = 0;
    int decimals = 0;
};

// Options of a new index tag. Tags we create are expression tags over character fields:
// field names joined by "+", for example "NAME_SP+ROST".
enum class TagOption { Expression };

// Language driver ids (table header byte 29) for the tables we create: they tell other dBASE
// programs the code page of the text. Index order is plain byte order either way.
inline constexpr std::uint8_t kLanguageDriverCp1251 = 0xC9;  // Russian Windows
inline constexpr std::uint8_t kLanguageDriverCp866 = 0x26;   // Russian DOS (OEM)

class Table {
public:
    Table();
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // --- the table object ---
    void setDatabaseName(const std::string& folder);
    void setTableName(const std::string& fileName);  // with extension
    std::string path() const;                        // folder + separator + file name
    void setExclusive(bool exclusive);               // only while inactive
    bool exclusive() const;
    void open();   // activate
    void close();  // deactivate
    bool active() const;

    // Creates the table file with exactly these fields and no records (the object stays
    // inactive). Fails when the file exists and is in use.
    void createTable(const std::vector<FieldDef>& fields);  // Windows-1251 text
    void createTable(const std::vector<FieldDef>& fields, std::uint8_t languageDriver);
    std::uint8_t languageDriver() const;  // of the open table

    // --- index tags (production index) ---
    // Selects a tag by name (case-insensitive); an empty name selects physical order. Selecting a
    // missing tag raises an error. Works active or inactive (checked at open() when inactive).
    void selectTag(const std::string& name);
    std::string selectedTag() const;
    // Re-reads the tag definitions from the .mdx (none when there is no .mdx).
    void refreshIndexDefs();
    std::vector<std::string> indexDefNames() const;
    // Adds a tag to the production index (creating the .mdx and setting header byte 28) and
    // builds it from the table's records. Needs exclusive mode; the table may be active or not.
    void addTag(const std::string& name, const std::string& expression, TagOption option,
                const std::string& descendingFields);

    // --- navigation: tag order when a tag is selected, physical order otherwise ---
    // Navigating drops a record appended but not posted and leaves key mode.
    void first();
    void next();
    bool eof() const;
    std::uint32_t recordCount() const;   // records that are not deleted
    std::uint32_t recordNumber() const;  // 1-based physical number of the current record, 0 at eof
    std::uint32_t recordsInFile() const;  // the physical records, deleted ones included
    bool deleted() const;                 // the current record is marked deleted
    // Stands on a record by its physical number; next() then goes on in the order in use.
    void gotoRecord(std::uint32_t recordNumber);

    // --- key search in the selected tag ---
    void setKey();       // key mode: setFieldText() fills the key buffer until the next seek
    bool gotoKey();      // exact seek; on a hit the current record is the one found
    void gotoNearest();  // first key not less than the key set (eof when there is none)

    // --- fields by name (an unknown name raises an error) ---
    bool hasField(const std::string& name) const;
    int fieldWidth(const std::string& name) const;
    std::string fieldText(const std::string& name) const;
    void setFieldText(const std::string& name, const std::string& value);
    const std::vector<FieldDef>& fields() const;
    // --- fields by position (0-based, as in fields()): for lookups and writers that run
    // often, the name looked up once ---
    std::size_t fieldPosition(const std::string& name) const;  // an unknown name raises an error
    // What fieldText() gives, as a view of the record in memory: valid until the table moves,
    // appends, leaves key mode or closes. A position past the fields raises an error.
    std::string_view fieldView(std::size_t position) const;
    // setFieldText() by position; a position past the fields raises an error.
    void setFieldText(std::size_t position, std::string_view value);

    // --- appending ---
    void append();  // a new blank record buffer; setFieldText() fills it
    // Writes the record bytes with the end marker, adds its key to every tag of the production
    // index, then writes the header count: the record is in the file when post() returns, and
    // when post() raises an error it is not in the table.
    void post();
    void cancel();  // drops an appended record that was not posted (and leaves key mode)
    // When on, post() also flushes each write to the disk before the next one (record, index,
    // header count), so a posted record survives a power failure. For tables that hold what
    // a person typed; off by default.
    void setSyncOnPost(bool sync);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace dbf
