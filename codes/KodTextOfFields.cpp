#include "codes/KodTextOfFields.h"

#include <string>

#include "codes/CodeKind.h"
#include "codes/CodePageBytes.h"
#include "codes/CodeText.h"
#include "text/CodePages.h"

namespace codes {

namespace {

using detail::KodTextBuffer;

void appendAnsi(KodTextBuffer& out, std::string_view oem) {
    for (const char c : oem) out.append(detail::oemToAnsiByte(c));
}

bool marked(std::string_view s) { return detail::contains(s, '.') || detail::contains(s, ','); }

bool beginsWithO(std::string_view s) {
    return !s.empty() && (s.front() == detail::kCapitalO1251 || s.front() == detail::kSmallO1251);
}

bool endsWith(std::string_view s, char c) { return !s.empty() && s.back() == c; }

// The kind G layout splits the table field into section and table when composing.
bool composesAsKindG(std::string_view tip, std::string_view collection, char baseLetter) {
    if (baseLetter != 'G') return false;
    char letter = '\0';
    std::string_view typeLetter = tip;  // longer letters never match the one-letter kinds
    if (tip.size() == 1) {
        letter = detail::ansiToOemByte(text::upperCase1251(tip.front()));
        typeLetter = std::string_view(&letter, 1);
    }
    return CodeKind(typeLetter, collection, baseLetter) == kKindG;
}

// As ComposeKod: fields already in Windows-1251, tip not empty.
void composeFromFields(std::string_view tip, std::string_view sbor, std::string_view tabl,
                       std::string_view poz, char baseLetter, KodTextBuffer& R) {
    if (tip.front() == detail::kCapitalA1251) {
        R.append(tip);
        R.append(text::leftTrimmedView(sbor));
        return;
    }
    if (tip.front() == detail::kCapitalLatinR) {
        static const std::string section = "Раздел"_w;
        R.append(section);
        return;
    }
    if (marked(tip) || marked(sbor) || marked(tabl) || marked(poz)) {
        R.append(tip);
        R.append(sbor);
        R.append(tabl);
        R.append(poz);
        return;
    }
    R.append(tip);
    if (sbor.empty()) return;
    bool kindG = false;
    if (baseLetter == 'M') {
        R.append(detail::trimmedView(detail::partView(sbor, 1, 2)));
        R.append('.');
        R.append(detail::trimmedView(detail::partView(sbor, 3, 6)));
    } else {
        const std::string_view collection = detail::trimmedView(sbor);
        kindG = composesAsKindG(tip, collection, baseLetter);
        R.append(collection);
    }
    if (tabl.empty()) return;
    const std::string_view T = detail::trimmedView(tabl);
    R.append('-');
    if (kindG) {
        R.append(detail::partView(T, 1, 2));
        R.append('-');
        R.append(detail::partView(T, 3, 5));
    } else {
        R.append(detail::partView(T, 1, 1));
        R.append(detail::leftTrimmedView(detail::partFromView(T, 2)));
    }
    if (!poz.empty()) {
        R.append('-');
        R.append(detail::trimmedView(poz));
    }
}

}  // namespace

FieldsText KodTextOfFields(std::string_view TIP, std::string_view SBOR, std::string_view TABL,
                           std::string_view POZ, char baseLetter, KodTextBuffer& code) {
    code.clear();
    code.append(TIP);
    code.append(SBOR);
    code.append(TABL);
    code.append(POZ);
    if (code.overflowed()) return FieldsText::TooLong;
    code.trim();
    if (code.view().empty()) return FieldsText::Blank;

    // Texts that stand for themselves: a raw code with its marker, and under base letter M a
    // code beginning with "О", without its marker.
    if (baseLetter == 'M') {
        for (char* c = code.data(); c != code.data() + code.view().size(); ++c) {
            *c = detail::oemToAnsiByte(*c);
        }
        if (beginsWithO(code.view())) {
            if (endsWith(code.view(), ',')) code.popBack();
            return FieldsText::Composed;
        }
        if (endsWith(code.view(), ',')) return FieldsText::Composed;
    } else if (endsWith(code.view(), '.')) {
        for (char* c = code.data(); c != code.data() + code.view().size(); ++c) {
            *c = detail::oemToAnsiByte(*c);
        }
        return FieldsText::Composed;
    }

    KodTextBuffer tip, sbor, tabl, poz;
    appendAnsi(tip, TIP);
    appendAnsi(sbor, SBOR);
    appendAnsi(tabl, TABL);
    appendAnsi(poz, POZ);
    code.clear();
    if (tip.view().empty()) return FieldsText::Composed;
    composeFromFields(tip.view(), sbor.view(), tabl.view(), poz.view(), baseLetter, code);
    if (code.overflowed()) return FieldsText::TooLong;
    code.trim();
    return FieldsText::Composed;
}

}  // namespace codes
