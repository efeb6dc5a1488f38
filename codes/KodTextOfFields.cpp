#include "codes/KodTextOfFields.h"

#include <string>

#include "codes/CodeKind.h"
#include "codes/CodePageBytes.h"
#include "codes/CodeText.h"
#include "codes/KodForm.h"
#include "text/CodePages.h"

namespace codes {

namespace {

using detail::KodTextBuffer;

// The field in Windows-1251: itself when it is plain ASCII (as digits, blanks and dashes
// are), else converted into converted.
std::string_view ansiField(std::string_view oem, KodTextBuffer& converted) {
    bool ascii = true;
    for (const char c : oem) ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii) return oem;
    const detail::ByteTable& toAnsi = detail::oemToAnsiTable();
    converted.clear();
    for (const char c : oem) converted.append(detail::mapByte(toAnsi, c));
    return converted.view();
}

void convertToAnsi(KodTextBuffer& text) {
    const detail::ByteTable& toAnsi = detail::oemToAnsiTable();
    for (char* c = text.data(); c != text.data() + text.view().size(); ++c) {
        *c = detail::mapByte(toAnsi, *c);
    }
}

bool beginsWithO(std::string_view s) {
    return !s.empty() && (s.front() == detail::kCapitalO1251 || s.front() == detail::kSmallO1251);
}

bool endsWith(std::string_view s, char c) { return !s.empty() && s.back() == c; }

// The kind G layout splits the table field into section and table when composing. Only a
// type letter of one character can be of kind G.
bool composesAsKindG(std::string_view tip, std::string_view collection, char baseLetter) {
    if (baseLetter != 'G' || tip.size() != 1) return false;
    return KindOfCode(text::upperCase1251(tip.front()), collection, baseLetter) == kKindG[0];
}

// As ComposeKod: fields already in Windows-1251, tip not empty; marked: some field holds a
// point or a comma.
void composeFromFields(std::string_view tip, std::string_view sbor, std::string_view tabl,
                       std::string_view poz, char baseLetter, bool marked, KodTextBuffer& R) {
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
    if (marked) {
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
        convertToAnsi(code);
        if (beginsWithO(code.view())) {
            if (endsWith(code.view(), ',')) code.popBack();
            return FieldsText::Composed;
        }
        if (endsWith(code.view(), ',')) return FieldsText::Composed;
    } else if (endsWith(code.view(), '.')) {
        convertToAnsi(code);
        return FieldsText::Composed;
    }
    // The joined fields hold a point or a comma exactly when one of the fields does.
    bool marked = false;
    for (const char c : code.view()) marked |= c == '.' || c == ',';

    KodTextBuffer tipText, sborText, tablText, pozText;
    const std::string_view tip = ansiField(TIP, tipText);
    code.clear();
    if (tip.empty()) return FieldsText::Composed;
    composeFromFields(tip, ansiField(SBOR, sborText), ansiField(TABL, tablText),
                      ansiField(POZ, pozText), baseLetter, marked, code);
    if (code.overflowed()) return FieldsText::TooLong;
    code.trim();
    return FieldsText::Composed;
}

}  // namespace codes
