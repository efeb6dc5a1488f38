#include "codes/ComposeKod.h"

#include "codes/CodeKind.h"
#include "codes/CodeText.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

namespace codes {

using detail::part;
using detail::partFrom;

namespace {

std::string composeFromFields(std::string_view tip, std::string_view sbor, std::string_view tabl,
                              std::string_view poz, char baseLetter) {
    if (tip.front() == detail::kCapitalA1251) return std::string(tip) + text::leftTrimmed(sbor);
    if (tip.front() == detail::kCapitalLatinR) return "Раздел"_w;

    const auto marked = [](std::string_view s) {
        return detail::contains(s, '.') || detail::contains(s, ',');
    };
    if (marked(tip) || marked(sbor) || marked(tabl) || marked(poz)) {
        std::string joined(tip);
        joined += sbor;
        joined += tabl;
        joined += poz;
        return joined;
    }

    std::string R(tip);
    if (sbor.empty()) return R;
    std::string kind;
    if (baseLetter == 'M') {
        R += detail::trimmedView(detail::partView(sbor, 1, 2));
        R += '.';
        R += detail::trimmedView(detail::partView(sbor, 3, 6));
        kind = kKindM;
    } else {
        const std::string_view collection = detail::trimmedView(sbor);
        kind = baseLetter == 'G'
                   ? CodeKind(text::ansiToOem(text::upperCase1251(tip)), collection, baseLetter)
                   : CodeKind({}, {}, baseLetter);
        R += collection;
    }

    if (tabl.empty()) return R;
    const std::string_view T = detail::trimmedView(tabl);
    R += '-';
    if (kind == kKindG) {
        // The section is the first two characters of the field, the table the next three.
        R += detail::partView(T, 1, 2);
        R += '-';
        R += detail::partView(T, 3, 5);
    } else {
        // A prefix letter stays next to its number; the blanks between them go.
        R += detail::partView(T, 1, 1);
        R += detail::leftTrimmedView(detail::partFromView(T, 2));
    }
    if (!poz.empty()) {
        R += '-';
        R += detail::trimmedView(poz);
    }
    return R;
}

}  // namespace

std::string ComposeKod(std::string_view TIP, std::string_view SBOR, std::string_view TABL,
                       std::string_view POZ, std::string_view baseLetter) {
    // Digits, blanks and dashes are the same bytes in both code pages: only a field with other
    // characters needs converting.
    const auto ansi = [](std::string_view oem, std::string& converted) -> std::string_view {
        for (const char c : oem) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                converted = text::oemToAnsi(oem);
                return converted;
            }
        }
        return oem;
    };
    std::string tipText, sborText, tablText, pozText;
    const std::string_view tip = ansi(TIP, tipText);
    if (tip.empty()) return {};
    const char base = baseLetter.empty() ? '\0' : baseLetter.front();
    const std::string composed =
        composeFromFields(tip, ansi(SBOR, sborText), ansi(TABL, tablText), ansi(POZ, pozText), base);
    return std::string(detail::trimmedView(composed));
}

}  // namespace codes
