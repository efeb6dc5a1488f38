#include "codes/Clgetkod.h"

#include "codes/AlignKod.h"
#include "codes/CodeKind.h"
#include "codes/CodeText.h"
#include "codes/ComposeKod.h"
#include "codes/FormatPackedKod.h"
#include "codes/PackAlignedKod.h"

using codes::detail::part;

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

    std::string packedTIP, packedSBOR, packedTABL, packedPOZ, aligned, kind;
    if (packKod(code, baseLetter, packedTIP, packedSBOR, packedTABL, packedPOZ, aligned, kind)) {
        // Expanding the packed fields would format them back into this very code and align it
        // again: the aligned form the check has just made is the same.
        alignedFields(aligned, kind, TIP, SBOR, TABL, POZ);
        return true;
    }
    return SplitRawKod(code, TIP, SBOR, TABL, POZ);
}

bool ClGetKod::CheckKodParts(const std::string& TIP, const std::string& SBOR,
                             const std::string& TABL, const std::string& POZ,
                             char baseLetter) const {
    std::string code;
    if (!BuildKodText(TIP, SBOR, TABL, POZ, baseLetter, code)) return false;
    std::string packedTIP, packedSBOR, packedTABL, packedPOZ;
    return PackKod(code, baseLetter, packedTIP, packedSBOR, packedTABL, packedPOZ);
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
    if (text::trimmed(code).empty()) return false;
    // Longer codes never were normative codes of any base; they go the raw way.
    if (code.size() > kMaxKodLength) return false;

    const std::string A = FStr.AnsiToOem(code);
    if (baseLetter == 'M' && beginsWithO(code)) return true;

    X = codes::AlignKod(A, baseLetter, kind);
    if (kind.empty()) return false;

    const std::string P = codes::PackAlignedKod(X, baseLetter);
    TIP = FStr.PadRight(part(P, 1, 1), 1);
    SBOR = FStr.PadRight(part(P, 2, 4), kPackedSborWidth);
    TABL = FStr.PadRight(part(P, 5, 7), kPackedTablWidth);
    POZ = FStr.PadRight(part(P, 8, 10), kPackedPozWidth);

    const std::string T = FStr.OemToAnsi(TIP) + SBOR + TABL + POZ;
    const std::string F = text::trimmed(FStr.OemToAnsi(codes::FormatPackedKod(T, baseLetter)));
    // Only a code that comes back unchanged from its packed form is in canonical form.
    if (F != code || endsWith(F, '-')) {
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
    alignedFields(X, kind, TIP, SBOR, TABL, POZ);
}

void ClGetKod::alignedFields(const std::string& X, const std::string& kind, std::string& TIP,
                             std::string& SBOR, std::string& TABL, std::string& POZ) const {
    TIP = part(X, 1, 1);
    SBOR = part(X, 2, 7);
    if (kind.empty()) {
        TABL.clear();
        POZ.clear();
    } else if (kind == codes::kKindG) {
        // The section and the last three digits of the four-digit table column.
        TABL = part(X, 8, 9) + part(X, 11, 13);
        POZ = part(X, 14, 18);
    } else {
        TABL = part(X, 8, 12);
        POZ = part(X, 13, 17);
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
    std::string J = text::trimmed(TIP + SBOR + TABL + POZ);
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
