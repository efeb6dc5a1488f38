#include "codes/FormatPackedKod.h"

#include <utility>

#include "codes/CodeKind.h"
#include "codes/CodeText.h"
#include "codes/PackDigits.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

namespace codes {

using detail::part;

namespace {

// Blank parts of the packed form, made of packed blank pairs (byte 17) and blank characters.
constexpr std::string_view kBlankCollection = "\x11\x11\x11";
// A blank table of kinds 9 and M, a blank position: two blank bytes and a blank suffix.
constexpr std::string_view kBlankNumberAndSuffix = "\x11\x11 ";
// A blank table of kind 4: a blank prefix and two blank bytes.
constexpr std::string_view kBlankPrefixAndNumber = " \x11\x11";

// A number of four packed digits followed by its suffix character, trimmed.
std::string numberAndSuffix(std::string_view packedPart) {
    std::string digits = UnpackDigits(detail::partView(packedPart, 1, 2), 4);
    digits += detail::partView(packedPart, 3, 3);
    return std::string(detail::trimmedView(digits));
}

std::string positionAfterTable(std::string R, std::string_view Z) {
    if (Z != kBlankNumberAndSuffix) {
        R += '-';
        R += numberAndSuffix(Z);
    }
    return R;
}

}  // namespace

std::string FormatTableAndPosition(std::string R, std::string_view B, std::string_view Z) {
    if (B == kBlankNumberAndSuffix) return R;
    R += '-';
    R += numberAndSuffix(B);
    return positionAfterTable(std::move(R), Z);
}

std::string FormatPackedKod(std::string_view P, char baseLetter) {
    return detail::filledUp(FormatPackedKodText(P, baseLetter), kFormattedWidth);
}

std::string FormatPackedKodText(std::string_view P, char baseLetter) {
    const std::string_view typeLetter = detail::partView(P, 1, 1);
    const std::string F = text::ansiToOem(typeLetter);
    const std::string_view Q = detail::partView(P, 2, 4);
    const std::string_view B = detail::partView(P, 5, 7);
    const std::string_view Z = detail::partView(P, 8, 10);

    std::string R;
    if (typeLetter == std::string_view(&detail::kCapitalA1251, 1)) {
        R = F + text::leftTrimmed(UnpackDigits(Q, 6));
    } else if (typeLetter == std::string_view(&detail::kCapitalLatinR, 1)) {
        R = text::ansiToOem("Раздел"_w);
    } else {
        R = F;
        if (Q != kBlankCollection) {
            if (baseLetter == 'M') {
                const std::string first = UnpackDigits(detail::partView(Q, 1, 1), 2);
                const std::string second = UnpackDigits(detail::partView(Q, 2, 3), 4);
                R += detail::trimmedView(first);
                R += '.';
                R += detail::trimmedView(second);
                R = FormatTableAndPosition(std::move(R), B, Z);
            } else {
                const std::string digits = UnpackDigits(Q, 6);
                const std::string_view collection = detail::trimmedView(digits);
                const std::string kind = CodeKind(F, collection, baseLetter);
                R += collection;
                if (kind == kKind4) {
                    if (B != kBlankPrefixAndNumber) {
                        R += '-';
                        R += text::leftTrimmedView(detail::partView(B, 1, 1));
                        const std::string number = UnpackDigits(detail::partView(B, 2, 3), 4);
                        R += text::leftTrimmedView(number);
                        R = positionAfterTable(std::move(R), Z);
                    }
                } else if (kind == kKindG) {
                    if (B != kBlankCollection && B != kBlankNumberAndSuffix) {
                        R += '-';
                        R += UnpackDigits(part(B, 1, 1), 2);
                        R += '-';
                        R += text::leftTrimmed(UnpackDigits(part(B, 2, 3), 4));
                        R = positionAfterTable(std::move(R), Z);
                    }
                } else {
                    R = FormatTableAndPosition(std::move(R), B, Z);
                }
            }
        }
    }
    return R;
}

}  // namespace codes
