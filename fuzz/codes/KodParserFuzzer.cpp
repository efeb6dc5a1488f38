// Feeds arbitrary bytes to the code parser and the formatting operations beneath it and
// checks what every caller relies on: no crash or out-of-bounds read, the fixed widths of the
// four fields, and a check that agrees with itself.
//
// Input: byte 0 picks the base letter, byte 1 the base code; the rest is the code text
// (Windows-1251), and, split at line feeds, four fields for a direct check.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "codes/AlignKod.h"
#include "codes/Clgetkod.h"
#include "codes/CodeText.h"
#include "codes/ComposeKod.h"
#include "codes/FormatPackedKod.h"
#include "codes/PackAlignedKod.h"
#include "codes/PackDigits.h"
#include "fuzz/FuzzRequire.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

namespace {

char baseLetterOf(std::uint8_t selector) {
    constexpr std::string_view kLetters = "MG419Z";
    if (selector < 240) return kLetters[selector % kLetters.size()];
    return static_cast<char>(selector);  // any byte at all
}

// The base code begins with the base letter, as the converter's does ("M", "MG419"), or is
// empty, as the dialog's is.
std::string baseCodeOf(std::uint8_t selector, char baseLetter) {
    switch (selector % 3) {
        case 0: return "";
        case 1: return std::string(1, baseLetter);
        default: return baseLetter + std::string("G419");
    }
}

bool beginsWithO(const std::string& code) {
    return !code.empty() && (code[0] == codes::detail::kCapitalO1251 ||
                             code[0] == codes::detail::kSmallO1251);
}

// Where the trimmed fields of a valid code need not check again: trimming loses what the fixed
// columns held, or the fields hold a point or comma and are taken for a raw code.
bool mayFailAgain(const std::string& code, const std::string& joinedFields,
                  const std::string& trimmedTABL, char base) {
    if (base == 'G' && (code[0] == '\xE5' || code[0] == '\xF6')) return true;  // small е, ц
    std::string kind;
    const std::string aligned = codes::AlignKod(text::ansiToOem(code), base, kind);
    // A kind G table whose trimmed field keeps an inner blank (a table typed with a blank
    // inside, such as "1 01") does not compose back into the code it came from.
    if (kind == "G" && trimmedTABL.find(' ') != std::string::npos) return true;
    // A kind G section of blanks aligns into one column instead of two and shifts the table
    // after it: such fields do not compose back into the code either.
    if (kind == "G") {
        const std::size_t first = code.find('-');
        const std::size_t second = first == std::string::npos ? first : code.find('-', first + 1);
        if (second != std::string::npos &&
            text::trimmed(code.substr(first + 1, second - first - 1)).empty()) {
            return true;
        }
    }
    if (kind == "G") {
        const std::string table = codes::detail::part(aligned, 10, 13);
        if (std::count_if(table.begin(), table.end(), [](char c) { return c != ' '; }) < 3) {
            return true;
        }
    }
    if (std::string_view("MG194").find(base) == std::string_view::npos &&
        text::trimmed(codes::detail::part(aligned, 8, 12)).size() < 5) {
        return true;
    }
    return joinedFields.find_first_of(".,") != std::string::npos;
}

std::vector<std::string> splitFields(const std::string& s) {
    std::vector<std::string> fields(4);
    std::size_t field = 0;
    for (char c : s) {
        if (c == '\n' && field < 3) {
            ++field;
        } else {
            fields[field] += c;
        }
    }
    return fields;
}

void checkFreeOperations(const std::string& s, char base) {
    const std::string oem = text::ansiToOem(s);
    std::string kind;
    const std::string aligned = codes::AlignKod(oem, base, kind);
    require(aligned.size() >= codes::kAlignedWidth);
    require(kind.empty() || kind == "4" || kind == "9" || kind == "G" || kind == "M");
    require(codes::PackAlignedKod(aligned, base).size() <= codes::kPackedWidth);
    require(codes::PackAlignedKod(oem, base).size() <= codes::kPackedWidth);
    require(codes::FormatPackedKod(s, base).size() >= codes::kFormattedWidth);
    require(codes::PackDigits(s).size() == s.size() / 2);
    require(codes::UnpackDigits(s, s.size() % 64).size() == s.size() % 64);
    const std::vector<std::string> f = splitFields(oem);
    const std::string composed = codes::ComposeKod(f[0], f[1], f[2], f[3], std::string(1, base));
    require(!f[0].empty() || composed.empty());
    require(text::trimmed(composed) == composed);
}

// callerTrimmed: the code comes as the callers pass it, trimmed.
void checkParser(const std::string& code, char base, const std::string& baseCode,
                 bool callerTrimmed) {
    ClGetKod parser;
    parser.FBaseCode = baseCode;
    std::string TIP = "t", SBOR = "s", TABL = "b", POZ = "p";
    const bool parsed = parser.ParseKod(code, base, TIP, SBOR, TABL, POZ);
    require(parsed == !code.empty());
    if (!parsed) {
        require(TIP == "t" && SBOR == "s" && TABL == "b" && POZ == "p");
        return;
    }
    require(TIP.size() <= 1 && SBOR.size() <= 6 && TABL.size() <= 5 && POZ.size() <= 5);

    std::string pTIP, pSBOR, pTABL, pPOZ;
    const bool accepted = parser.PackKod(code, base, pTIP, pSBOR, pTABL, pPOZ);
    const bool takenAsItStands = base == 'M' && beginsWithO(code);
    if (accepted && !takenAsItStands) {
        require(pTIP.size() == 1 && pSBOR.size() == 3 && pTABL.size() == 3 && pPOZ.size() == 3);
        require(TIP.size() == 1 && SBOR.size() == 6 && TABL.size() == 5 && POZ.size() == 5);
    }

    const std::string tTIP = text::trimmed(TIP), tSBOR = text::trimmed(SBOR),
                      tTABL = text::trimmed(TABL), tPOZ = text::trimmed(POZ);
    const bool checked = parser.CheckKodParts(tTIP, tSBOR, tTABL, tPOZ, base);
    std::string text;
    const bool built = parser.BuildKodText(tTIP, tSBOR, tTABL, tPOZ, base, text);
    std::string aTIP, aSBOR, aTABL, aPOZ;
    require(checked == (built && parser.PackKod(text, base, aTIP, aSBOR, aTABL, aPOZ)));
    // A raw code never checks, except what base letter M takes as it stands and the known
    // gap of its "." marker under a base code other than exactly "M". (Untrimmed, a leading
    // control character would vanish from the trimmed type letter and uncover an "О".)
    if (callerTrimmed && !accepted && checked) {
        require(base == 'M' && (takenAsItStands || baseCode != "M"));
    }
    if (takenAsItStands && code.size() <= ClGetKod::kMaxKodLength) require(checked);
    if (callerTrimmed && accepted && !mayFailAgain(code, tTIP + tSBOR + tTABL + tPOZ, tTABL, base)) {
        require(checked);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const char base = baseLetterOf(data[0]);
    const std::string baseCode = baseCodeOf(data[1], base);
    const std::string input(reinterpret_cast<const char*>(data + 2), size - 2);

    checkFreeOperations(input, base);
    checkParser(input, base, baseCode, false);
    checkParser(text::trimmed(input), base, baseCode, true);

    const std::vector<std::string> f = splitFields(input);
    const ClGetKod parser;
    parser.CheckKodParts(f[0], f[1], f[2], f[3], base);
    return 0;
}
