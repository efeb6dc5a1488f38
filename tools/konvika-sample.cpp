// konvika-sample: writes source price files (docs/source-format.md) for the sample run, the
// end-to-end tests and the benchmarks: a chosen number of tables and records, codes of a
// chosen base letter, valid and invalid codes and standard and odd units in chosen
// proportions, Russian construction names and prices. The same options and seed always give
// the same bytes.
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "text/CodePages.h"

namespace {

const char* const kUsage =
    "usage: konvika-sample --output FILE [options]\n"
    "  --output FILE          file to write (\"-\" for standard output)\n"
    "  --tables N             number of tables (default 3)\n"
    "  --records N            records in all, spread evenly over the tables (default 30)\n"
    "  --empty-tables N       how many of the tables have no records (default 0)\n"
    "  --seed N               seed of the choices (default 1)\n"
    "  --base LETTER          base letter the codes are written for (default 4)\n"
    "  --invalid-percent P    share of records with a code the base does not accept (default 0)\n"
    "  --odd-units-percent P  share of records with a unit outside the standard list (default 0)\n"
    "  --units LIST           standard units, comma-separated (default: built-in list)\n"
    "  --odd-units LIST       odd units, comma-separated (default: built-in list)\n"
    "  --crlf                 end lines with CR LF instead of LF\n";

// Written in UTF-8 here, written out as Windows-1251.
const char* const kStandardUnits[] = {"м", "м2", "м3", "т", "кг", "шт", "компл", "100 м", "100 м2",
                                      "100 м3", "1000 шт", "10 м", "чел.-ч", "маш.-ч"};
const char* const kOddUnits[] = {"кв.м", "куб.м", "шт.", "тн", "пог.м", "м.кв.", "Т", "штук"};

// A name, then after each "|" one of its grades.
const char* const kMaterials[] = {
    "Бетон тяжелый|класс B7,5 (М100)|класс B15 (М200)|класс B22,5 (М300)",
    "Раствор кладочный цементный|марка М50|марка М75|марка М100",
    "Кирпич керамический одинарный|марка М100|марка М150", "Блоки из ячеистого бетона|D500|D600",
    "Щебень из природного камня|фракция 5-20 мм|фракция 20-40 мм",
    "Песок природный для строительных работ|средний|мелкий",
    "Арматура класса А-III|диаметром 10 мм|диаметром 12 мм|диаметром 16 мм",
    "Сталь листовая горячекатаная|толщиной 4 мм|толщиной 8 мм",
    "Доски обрезные хвойных пород|толщиной 25 мм, сорт II|толщиной 40 мм, сорт III",
    "Брус хвойных пород|сечением 100х100 мм|сечением 150х150 мм",
    "Плиты минераловатные теплоизоляционные|плотностью 75 кг/м3|плотностью 125 кг/м3",
    "Рубероид кровельный|РКП-350|РКК-400", "Линолеум поливинилхлоридный|на теплоизолирующей подоснове",
    "Плитка керамическая для полов|гладкая|шероховатая", "Краска масляная|МА-15|МА-25",
    "Грунтовка глифталевая|ГФ-021", "Гвозди строительные|длиной 50 мм|длиной 100 мм",
    "Электроды сварочные|диаметром 4 мм|диаметром 5 мм",
    "Трубы стальные водогазопроводные|диаметром 25 мм|диаметром 50 мм",
    "Кабель силовой с медными жилами|ВВГ 3х2,5|ВВГ 3х4", "Стекло листовое|толщиной 4 мм|толщиной 5 мм",
    "Портландцемент общестроительного назначения|марка 400|марка 500",
    "Известь строительная негашеная|комовая|молотая", "Битум нефтяной строительный|БН-70/30|БН-90/10"};
const char* const kWork[] = {
    "Затраты труда рабочих-строителей|разряд 3|разряд 3,8|разряд 4",
    "Затраты труда машинистов|разряд 5|разряд 6",
    "Разработка грунта экскаватором|группа грунтов 1|группа грунтов 2",
    "Устройство бетонной подготовки|толщиной 100 мм", "Кладка стен из кирпича|наружных|внутренних",
    "Монтаж металлических конструкций|колонн|ферм", "Устройство кровли из рулонных материалов|в два слоя",
    "Штукатурка поверхностей|простая|улучшенная", "Окраска стен|водоэмульсионными составами",
    "Устройство полов|из керамической плитки|из линолеума"};
const char* const kMachines[] = {
    "Экскаватор одноковшовый|емкостью ковша 0,5 м3|емкостью ковша 0,65 м3",
    "Кран башенный|грузоподъемностью 8 т|грузоподъемностью 10 т",
    "Кран на автомобильном ходу|грузоподъемностью 10 т|грузоподъемностью 16 т",
    "Бульдозер|мощностью 79 кВт|мощностью 96 кВт", "Каток дорожный самоходный|массой 5 т|массой 10 т",
    "Автомобиль бортовой|грузоподъемностью 5 т", "Компрессор передвижной|давлением 686 кПа",
    "Бетоносмеситель передвижной|емкостью 250 л", "Агрегат сварочный передвижной|с дизельным двигателем",
    "Вибратор глубинный|мощностью 1 кВт"};
const char* const kSections[] = {
    "Земляные работы", "Бетонные и железобетонные конструкции монолитные", "Конструкции из кирпича и блоков",
    "Металлические конструкции", "Деревянные конструкции", "Кровли", "Полы", "Отделочные работы",
    "Материалы для общестроительных работ", "Строительные машины и механизмы"};

struct Options {
    std::string output;
    std::uint64_t tables = 3;
    std::uint64_t records = 30;
    std::uint64_t emptyTables = 0;
    std::uint64_t seed = 1;
    char base = '4';
    unsigned invalidPercent = 0;
    unsigned oddUnitsPercent = 0;
    std::vector<std::string> units;
    std::vector<std::string> oddUnits;
    bool crlf = false;
};

// The choices must not depend on the standard library's distributions, which differ between
// implementations: SplitMix64 and plain remainders.
class Choices {
public:
    explicit Choices(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    unsigned below(unsigned n) { return static_cast<unsigned>(next() % n); }
    unsigned between(unsigned low, unsigned high) { return low + below(high - low + 1); }
    bool percent(unsigned p) { return below(100) < p; }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) { return items[below(N)]; }
    const std::string& pick(const std::vector<std::string>& items) {
        return items[below(static_cast<unsigned>(items.size()))];
    }

private:
    std::uint64_t state_;
};

bool parseCount(const char* text, std::uint64_t& value) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    value = parsed;
    return true;
}

bool parsePercent(const char* text, unsigned& value) {
    std::uint64_t parsed = 0;
    if (!parseCount(text, parsed) || parsed > 100) return false;
    value = static_cast<unsigned>(parsed);
    return true;
}

std::vector<std::string> splitList(const char* utf8) {
    std::vector<std::string> items;
    std::string item;
    for (const char* p = utf8;; ++p) {
        if (*p == ',' || *p == '\0') {
            if (!item.empty()) items.push_back(text::utf8ToCp1251(item));
            item.clear();
            if (*p == '\0') break;
        } else {
            item += *p;
        }
    }
    return items;
}

template <std::size_t N>
std::vector<std::string> toCp1251(const char* const (&utf8)[N]) {
    std::vector<std::string> items;
    for (const char* item : utf8) items.push_back(text::utf8ToCp1251(item));
    return items;
}

bool fail(const std::string& message) {
    std::fprintf(stderr, "konvika-sample: %s\n%s", message.c_str(), kUsage);
    return false;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--crlf") {
            options.crlf = true;
            continue;
        }
        if (name == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) return fail("option " + name + " needs a value");
        const char* value = argv[++i];
        bool ok = true;
        if (name == "--output") {
            options.output = value;
            ok = !options.output.empty();
        } else if (name == "--tables") {
            ok = parseCount(value, options.tables);
        } else if (name == "--records") {
            ok = parseCount(value, options.records);
        } else if (name == "--empty-tables") {
            ok = parseCount(value, options.emptyTables);
        } else if (name == "--seed") {
            ok = parseCount(value, options.seed);
        } else if (name == "--base") {
            ok = std::strlen(value) == 1 && static_cast<unsigned char>(value[0]) < 128;
            options.base = value[0];
        } else if (name == "--invalid-percent") {
            ok = parsePercent(value, options.invalidPercent);
        } else if (name == "--odd-units-percent") {
            ok = parsePercent(value, options.oddUnitsPercent);
        } else if (name == "--units") {
            options.units = splitList(value);
            ok = !options.units.empty();
        } else if (name == "--odd-units") {
            options.oddUnits = splitList(value);
            ok = !options.oddUnits.empty();
        } else {
            return fail("unknown option " + name);
        }
        if (!ok) return fail("bad value for " + name + ": " + value);
    }
    if (options.output.empty()) return fail("--output is required");
    if (options.emptyTables > options.tables) return fail("more empty tables than tables");
    if (options.records > 0 && options.emptyTables == options.tables) {
        return fail("records need at least one table that is not empty");
    }
    if (options.units.empty()) options.units = toCp1251(kStandardUnits);
    if (options.oddUnits.empty()) options.oddUnits = toCp1251(kOddUnits);
    for (const auto* list : {&options.units, &options.oddUnits}) {
        for (const std::string& unit : *list) {
            if (unit.find_first_of("@\r\n") != std::string::npos) return fail("a unit holds @ or a line end");
        }
    }
    return true;
}

std::string digits(Choices& choices, unsigned count) {
    std::string text;
    for (unsigned i = 0; i < count; ++i) text += static_cast<char>('0' + choices.below(10));
    return text;
}

std::string number(unsigned low, unsigned high, Choices& choices) {
    return std::to_string(choices.between(low, high));
}

// Type number and code field of a record whose code the base accepts once the converter has
// put the type letter in front and rebuilt a numeric code into head-mid[-tail].
void validCode(char base, Choices& choices, std::string& type, std::string& code) {
    if (base == 'M') {
        // Numeric codes cannot carry the dotted collection: type 2 (no letter) with the letter
        // written in the code, as С1.23-45-6.
        type = "2";
        code = text::utf8ToCp1251(choices.pick({"С", "Х", "З"})) + number(1, 99, choices) + "." +
               number(1, 9999, choices) + "-" + number(1, 9999, choices) + "-" + number(1, 999, choices);
        return;
    }
    static const char* const kTypes[] = {"4", "4", "4", "1", "3"};
    type = choices.pick(kTypes);
    const std::string collection = number(101, 999, choices);
    const std::string table = digits(choices, 4);
    switch (choices.below(4)) {
        case 0: code = collection + "-" + table; break;
        case 1: code = collection + "-" + table + "-" + number(1, 999, choices); break;
        case 2: code = collection + table + number(10, 99, choices); break;
        default: code = number(10, 99, choices) + "-" + table; break;
    }
}

// A code the base refuses, so that the converter has to map it or ask.
void invalidCode(char base, Choices& choices, std::string& type, std::string& code) {
    if (base == 'M') {
        type = "2";
        code = choices.percent(50) ? "С"_w + number(10, 99, choices) + "-" + number(1, 9, choices)
                                   : "С1.23-45-6-"_w;
        return;
    }
    type = "4";
    switch (choices.below(4)) {
        case 0: code = number(101, 999, choices) + "-" + number(1, 9, choices) + "-5-"; break;
        case 1: code = number(101, 999, choices) + "." + number(1, 9, choices); break;
        case 2: code = number(10, 99, choices) + "-" + number(10, 99, choices); break;
        default: code = number(101, 999, choices) + "-" + digits(choices, 4) + "-5" + "а1"_w; break;
    }
}

// One kind of name with its grades, in Windows-1251.
struct NameFamily {
    std::string name;
    std::vector<std::string> grades;
};

template <std::size_t N>
std::vector<NameFamily> families(const char* const (&utf8)[N]) {
    std::vector<NameFamily> result;
    for (const std::string& item : toCp1251(utf8)) {
        NameFamily family;
        std::size_t from = 0;
        for (std::size_t bar = item.find('|'); ; bar = item.find('|', from)) {
            std::string part = item.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
            if (family.name.empty()) {
                family.name = part;
            } else {
                family.grades.push_back(part);
            }
            if (bar == std::string::npos) break;
            from = bar + 1;
        }
        result.push_back(family);
    }
    return result;
}

struct Names {
    std::vector<NameFamily> materials = families(kMaterials);
    std::vector<NameFamily> work = families(kWork);
    std::vector<NameFamily> machines = families(kMachines);
    std::vector<std::string> sections = toCp1251(kSections);
};

std::string recordName(const std::string& type, const Names& names, Choices& choices) {
    const std::vector<NameFamily>& list =
        type == "1" ? names.work : type == "3" ? names.machines : names.materials;
    const NameFamily& family = list[choices.below(static_cast<unsigned>(list.size()))];
    std::string name = family.name;
    if (!family.grades.empty()) name += " " + choices.pick(family.grades);
    // A catalogue number keeps names of different records apart (they key the code mapping).
    return name + ", N" + std::to_string(choices.between(1, 999));
}

// How the prices of one record are written: as estimators do, mostly with a comma and two
// decimals, sometimes with a point, sometimes whole.
enum class PriceStyle { Comma, Point, Whole };

PriceStyle priceStyle(Choices& choices) {
    const unsigned roll = choices.below(10);
    return roll == 0 ? PriceStyle::Point : roll == 1 ? PriceStyle::Whole : PriceStyle::Comma;
}

std::string price(std::uint64_t cents, PriceStyle style) {
    const std::string whole = std::to_string(cents / 100);
    if (style == PriceStyle::Whole) return whole;
    char fraction[4];
    std::snprintf(fraction, sizeof fraction, "%02u", static_cast<unsigned>(cents % 100));
    return whole + (style == PriceStyle::Point ? "." : ",") + fraction;
}

bool isEmptyTable(std::uint64_t table, const Options& options) {
    // The empty tables are spread over the file rather than bunched at one end.
    if (options.emptyTables == 0) return false;
    for (std::uint64_t j = 0; j < options.emptyTables; ++j) {
        if ((2 * j + 1) * options.tables / (2 * options.emptyTables) == table) return true;
    }
    return false;
}

bool writeFile(const Options& options, std::FILE* out) {
    static char buffer[1 << 20];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
    const char* const lineEnd = options.crlf ? "\r\n" : "\n";
    Choices choices(options.seed);
    Names names;
    std::string line;
    auto emit = [&](const std::string& text) {
        line = text;
        line += lineEnd;
        return std::fwrite(line.data(), 1, line.size(), out) == line.size();
    };
    if (!emit("GARVENA 1")) return false;
    const std::uint64_t filled = options.tables - options.emptyTables;
    std::uint64_t filledSoFar = 0;
    for (std::uint64_t t = 0; t < options.tables; ++t) {
        const std::string title = "Сборник "_w + std::to_string(t + 1) + ". " +
                                  names.sections[t % names.sections.size()];
        if (!emit("#TABLE " + title)) return false;
        if (isEmptyTable(t, options)) continue;
        const std::uint64_t count =
            options.records / filled + (filledSoFar < options.records % filled ? 1 : 0);
        ++filledSoFar;
        for (std::uint64_t r = 0; r < count; ++r) {
            std::string type;
            std::string code;
            if (choices.percent(options.invalidPercent)) {
                invalidCode(options.base, choices, type, code);
            } else {
                validCode(options.base, choices, type, code);
            }
            const std::string& unit = choices.percent(options.oddUnitsPercent) ? choices.pick(options.oddUnits)
                                                                               : choices.pick(options.units);
            const PriceStyle style = priceStyle(choices);
            std::uint64_t cents = choices.between(1, 9999999);
            std::uint64_t current = cents + cents * choices.between(0, 300) / 100;
            if (style == PriceStyle::Whole) {  // never a price of 0
                cents = (cents / 100 + 1) * 100;
                current = (current / 100 + 1) * 100;
            }
            // Field 5 is a third price that the converter does not read.
            if (!emit(type + "@" + code + "@" + recordName(type, names, choices) + "@" + unit + "@" +
                      price(cents, style) + "@" + price(current, style) + "@" + price(cents, style))) {
                return false;
            }
        }
    }
    return std::fflush(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) return 2;
    const bool toStandardOutput = options.output == "-";
    std::FILE* out = toStandardOutput ? stdout : std::fopen(options.output.c_str(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "konvika-sample: cannot create %s: %s\n", options.output.c_str(),
                     std::strerror(errno));
        return 1;
    }
    bool written = writeFile(options, out);
    if (!toStandardOutput && std::fclose(out) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "konvika-sample: cannot write %s\n", options.output.c_str());
        return 1;
    }
    if (!toStandardOutput) {
        std::printf("wrote %" PRIu64 " records in %" PRIu64 " tables to %s\n", options.records,
                    options.tables, options.output.c_str());
    }
    return 0;
}
