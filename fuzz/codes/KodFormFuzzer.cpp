// Differential target: the direct check of a code against the round trip through the packed
// form it replaces on the parser's hot path, and the composing of four fields into a buffer
// against the allocating composing. Any difference traps.
//
// Input: byte 0 picks the base letter (the four of the converter mostly, any byte now and
// then); the rest is the code text (Windows-1251) and, split at line feeds, four fields.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "codes/AlignKod.h"
#include "codes/Clgetkod.h"
#include "codes/KodForm.h"
#include "codes/KodTextOfFields.h"
#include "fuzz/FuzzRequire.h"
#include "text/CodePages.h"
#include "text/TextRules.h"

namespace {

char baseLetterOf(std::uint8_t selector) {
    constexpr std::string_view kLetters = "4G9M1";
    if (selector < 250) return kLetters[selector % kLetters.size()];
    return static_cast<char>(selector);
}

// The direct check against the round trip: the same answer, and for a canonical code the
// aligned form AlignKod gives, with its kind.
void checkCode(const ClGetKod& parser, const std::string& code, char base) {
    codes::AlignedKodText aligned;
    const codes::KodForm form = codes::CheckKodForm(code, base, aligned);
    std::string pTIP, pSBOR, pTABL, pPOZ;
    const bool reference = parser.PackKod(code, base, pTIP, pSBOR, pTABL, pPOZ);
    if (form == codes::KodForm::Undecided) {
        // Only the base letters without rules and the blank kind G section are left open.
        require(std::string_view("19GM4").find(base) == std::string_view::npos ||
                (base == 'G' && code.find("-  -") != std::string::npos));
        return;
    }
    require((form == codes::KodForm::Canonical) == reference);
    if (form != codes::KodForm::Canonical || aligned.size == 0) return;
    std::string kind;
    const std::string expected = codes::AlignKod(text::ansiToOem(code), base, kind);
    require(aligned.view() == expected);
    require(kind.size() == 1 && aligned.kind == kind.front());
}

void checkFields(const ClGetKod& parser, const std::vector<std::string>& f, char base) {
    codes::detail::KodTextBuffer buffer;
    const codes::FieldsText result = codes::KodTextOfFields(f[0], f[1], f[2], f[3], base, buffer);
    std::string expected;
    const bool built = parser.BuildKodText(f[0], f[1], f[2], f[3], base, expected);
    if (result == codes::FieldsText::TooLong) return;
    require(built == (result == codes::FieldsText::Composed));
    if (built) require(buffer.view() == expected);
    // The whole check of the fields, cache and all, against composing and the round trip.
    ClGetKod fresh;
    std::string a, b, c, d;
    require(fresh.CheckKodParts(f[0], f[1], f[2], f[3], base) ==
            (built && parser.PackKod(expected, base, a, b, c, d)));
}

std::vector<std::string> splitFields(std::string_view s) {
    std::vector<std::string> fields(4);
    std::size_t field = 0;
    for (const char c : s) {
        if (c == '\n' && field < 3) {
            ++field;
        } else {
            fields[field] += c;
        }
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const char base = baseLetterOf(data[0]);
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    const ClGetKod parser;
    checkCode(parser, input, base);
    checkCode(parser, std::string(text::trimmedView(input)), base);

    const std::vector<std::string> fields = splitFields(input);
    checkFields(parser, fields, base);
    std::vector<std::string> trimmed;
    for (const std::string& f : fields) trimmed.emplace_back(text::trimmedView(f));
    checkFields(parser, trimmed, base);

    // The fields the parser makes of the code check as composing and the round trip say.
    std::string TIP, SBOR, TABL, POZ;
    ClGetKod own;
    if (own.ParseKod(input, base, TIP, SBOR, TABL, POZ)) {
        checkFields(parser, {TIP, SBOR, TABL, POZ}, base);
        checkFields(parser, {std::string(text::trimmedView(TIP)), std::string(text::trimmedView(SBOR)),
                             std::string(text::trimmedView(TABL)), std::string(text::trimmedView(POZ))},
                    base);
    }
    return 0;
}
