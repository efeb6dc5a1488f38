#include "codes/Clgetkod.h"

#include <algorithm>

#include "codes/AlignKod.h"
#include "codes/CodeKind.h"
#include "codes/CodeText.h"
#include "codes/ComposeKod.h"
#include "codes/FormatPackedKod.h"
#include "codes/KodForm.h"
#include "codes/KodTextOfFields.h"
#include "codes/PackAlignedKod.h"
#include "text/CodePages.h"
#include "text/TextRules.h"

using codes::detail::part;
using codes::detail::partView;

namespace {

constexpr std::size_t kPackedSborWidth = 3;
constexpr std::size_t kPackedTablWidth = 3;
constexpr std::size_t kPackedPozWidth = 3;

// Under base letter M a code that begins with a Cyrillic О is taken as it stands.
bool beginsWithO(const std::string& code) {
    using codes::detail::kCapitalO1251;
    using codes::detail::kSmallO1251;
    return !code.empty() && (code.front() == kCapitalO1251 || code.front() == kSmallO1251);
}

bool endsWith(const std::string& s, char c) { return !s.empty() && s.back() == c; }

// out = s with blanks behind up to width (as WString::PadRight), reusing out's memory.
void padRightInto(std::string& out, std::string_view s, std::size_t width) {
    out.assign(s);
    if (out.size() < width) out.append(width - out.size(), ' ');
}

char kindLetter(const std::string& kind) { return kind.empty() ? '\0' : kind.front(); }

// The marker that makes a code raw by its look: "," under base letter M, "." under the others.
char rawMarker(char baseLetter) { return baseLetter == 'M' ? ',' : '.'; }

}  // namespace

ClGetKod::ClGetKod() : FDescription("ClGetKod") {}

bool ClGetKod::ParseKod(const std::string& code, char baseLetter, std::string& TIP,
                        std::string& SBOR, std::string& TABL, std::string& POZ) const {
    if (code.empty()) return false;
    if (baseLetter == 'M' && beginsWithO(code)) {
        std::string raw = code;
        if (endsWith(raw, ',')) raw.pop_back();
        return SplitRawKod(raw, TIP, SBOR, TABL, POZ);
    }
    if (endsWith(code, rawMarker(baseLetter))) return SplitRawKod(code, TIP, SBOR, TABL, POZ);

    codes::AlignedKodText X;
    const codes::KodForm form = codes::CheckKodForm(code, baseLetter, X);
    if (form == codes::KodForm::Undecided) return parseByRoundTrip(code, baseLetter, TIP, SBOR, TABL, POZ);
    const bool accepted = form == codes::KodForm::Canonical;
    rememberCheck(code, baseLetter, accepted);
    if (accepted) {
        alignedFields(X.view(), X.kind, TIP, SBOR, TABL, POZ);
        return true;
    }
    return SplitRawKod(code, TIP, SBOR, TABL, POZ);
}

bool ClGetKod::parseByRoundTrip(const std::string& code, char baseLetter, std::string& TIP,
                                std::string& SBOR, std::string& TABL, std::string& POZ) const {
    std::string packedTIP, packedSBOR, packedTABL, packedPOZ, aligned, kind;
    const bool accepted =
        packKod(code, baseLetter, packedTIP, packedSBOR, packedTABL, packedPOZ, aligned, kind);
    rememberCheck(code, baseLetter, accepted);
    if (accepted) {
        // Expanding the packed fields would format them back into this very code and align it
        // again: the aligned form the check has just made is the same.
        alignedFields(aligned, kindLetter(kind), TIP, SBOR, TABL, POZ);
        return true;
    }
    return SplitRawKod(code, TIP, SBOR, TABL, POZ);
}

bool ClGetKod::CheckKodParts(const std::string& TIP, const std::string& SBOR,
                             const std::string& TABL, const std::string& POZ,
                             char baseLetter) const {
    codes::detail::KodTextBuffer buffer;
    std::string composed;
    std::string_view code;
    switch (codes::KodTextOfFields(TIP, SBOR, TABL, POZ, baseLetter, buffer)) {
        case codes::FieldsText::Blank:
            return false;
        case codes::FieldsText::Composed:
            code = buffer.view();
            break;
        case codes::FieldsText::TooLong:
            if (!BuildKodText(TIP, SBOR, TABL, POZ, baseLetter, composed)) return false;
            code = composed;
            break;
    }
    // The converter checks the fields it has just parsed; they mostly spell the very code the
    // parse has checked already, and the check depends on nothing but the code and the base.
    if (FLastCheck.valid && FLastCheck.baseLetter == baseLetter && FLastCheck.code == code)
        return FLastCheck.accepted;
    return checkKod(code, baseLetter);
}

bool ClGetKod::checkKod(std::string_view code, char baseLetter) const {
    codes::AlignedKodText X;
    const codes::KodForm form = codes::CheckKodForm(code, baseLetter, X);
    bool accepted = form == codes::KodForm::Canonical;
    if (form == codes::KodForm::Undecided) {
        std::string packedTIP, packedSBOR, packedTABL, packedPOZ, aligned, kind;
        accepted = packKod(std::string(code), baseLetter, packedTIP, packedSBOR, packedTABL,
                           packedPOZ, aligned, kind);
    }
    rememberCheck(code, baseLetter, accepted);
    return accepted;
}

void ClGetKod::rememberCheck(std::string_view code, char baseLetter, bool accepted) const {
    FLastCheck.code = code;
    FLastCheck.baseLetter = baseLetter;
    FLastCheck.accepted = accepted;
    FLastCheck.valid = true;
}

bool ClGetKod::PackKod(const std::string& code, char baseLetter, std::string& TIP,
                       std::string& SBOR, std::string& TABL, std::string& POZ) const {
    std::string aligned, kind;
    return packKod(code, baseLetter, TIP, SBOR, TABL, POZ, aligned, kind);
}

bool ClGetKod::packKod(const std::string& code, char baseLetter, std::string& TIP,
                       std::string& SBOR, std::string& TABL, std::string& POZ,
                       std::string& X, std::string& kind) const {
    TIP.clear();
    SBOR.clear();
    TABL.clear();
    POZ.clear();
    if (std::all_of(code.begin(), code.end(), text::isBlankOrControl)) return false;
    // Longer codes never were normative codes of any base; they go the raw way.
    if (code.size() > kMaxKodLength) return false;

    const std::string A = text::ansiToOem(code);
    if (baseLetter == 'M' && beginsWithO(code)) return true;

    X = codes::AlignKod(A, baseLetter, kind);
    if (kind.empty()) return false;

    const std::string P = codes::PackAlignedKod(X, baseLetter);
    padRightInto(TIP, partView(P, 1, 1), 1);
    padRightInto(SBOR, partView(P, 2, 4), kPackedSborWidth);
    padRightInto(TABL, partView(P, 5, 7), kPackedTablWidth);
    padRightInto(POZ, partView(P, 8, 10), kPackedPozWidth);

    std::string T = text::oemToAnsi(TIP);
    T += SBOR;
    T += TABL;
    T += POZ;
    // Only a code that comes back unchanged from its packed form is in canonical form. The
    // formatted code is compared in code page 866, with the code's own 866 form: the two code
    // pages map every byte one to one and keep blanks and control characters as they are.
    const std::string formatted = codes::FormatPackedKodText(T, baseLetter);
    const std::string_view F = codes::detail::trimmedView(formatted);
    if (F != A || (!F.empty() && F.back() == '-')) {
        TIP.clear();
        SBOR.clear();
        TABL.clear();
        POZ.clear();
        return false;
    }
    return true;
}

void ClGetKod::ExpandPackedKod(const std::string& packedTIP, const std::string& packedSBOR,
                               const std::string& packedTABL, const std::string& packedPOZ,
                               char baseLetter, std::string& TIP, std::string& SBOR,
                               std::string& TABL, std::string& POZ) const {
    const std::string F = codes::FormatPackedKod(
        FStr.OemToAnsi(packedTIP) + packedSBOR + packedTABL + packedPOZ, baseLetter);
    std::string kind;
    const std::string X = codes::AlignKod(F, baseLetter, kind);
    alignedFields(X, kindLetter(kind), TIP, SBOR, TABL, POZ);
}

void ClGetKod::alignedFields(std::string_view X, char kind, std::string& TIP, std::string& SBOR,
                             std::string& TABL, std::string& POZ) const {
    TIP.assign(partView(X, 1, 1));
    SBOR.assign(partView(X, 2, 7));
    if (kind == '\0') {
        TABL.clear();
        POZ.clear();
    } else if (kind == codes::kKindG[0]) {
        // The section and the last three digits of the four-digit table column.
        TABL.assign(partView(X, 8, 9));
        TABL += partView(X, 11, 13);
        POZ.assign(partView(X, 14, 18));
    } else {
        TABL.assign(partView(X, 8, 12));
        POZ.assign(partView(X, 13, 17));
    }
}

bool ClGetKod::SplitRawKod(const std::string& code, std::string& TIP, std::string& SBOR,
                           std::string& TABL, std::string& POZ) const {
    if (code.empty()) return false;
    std::string raw = code.substr(0, kMaxRawLength);
    if (FBaseCode == "M") {
        if (!beginsWithO(raw) && !codes::detail::contains(raw, ',')) raw += ',';
    } else if (!codes::detail::contains(raw, '.')) {
        raw += '.';
    }
    TIP = FStr.AnsiToOem(part(raw, 1, 1));
    SBOR = FStr.AnsiToOem(part(raw, 2, 7));
    TABL = FStr.AnsiToOem(part(raw, 8, 12));
    POZ = FStr.AnsiToOem(part(raw, 13, 17));
    return true;
}

bool ClGetKod::BuildKodText(const std::string& TIP, const std::string& SBOR,
                            const std::string& TABL, const std::string& POZ, char baseLetter,
                            std::string& code) const {
    std::string joined = TIP;
    joined += SBOR;
    joined += TABL;
    joined += POZ;
    std::string J(codes::detail::trimmedView(joined));
    if (J.empty()) return false;
    if (baseLetter == 'M') {
        J = FStr.OemToAnsi(J);
        if (beginsWithO(J)) {
            if (endsWith(J, ',')) J.pop_back();
            code = J;
            return true;
        }
        if (endsWith(J, ',')) {
            code = J;
            return true;
        }
    } else if (endsWith(J, '.')) {
        code = FStr.OemToAnsi(J);
        return true;
    }
    code = codes::ComposeKod(TIP, SBOR, TABL, POZ, std::string(1, baseLetter));
    return true;
}
