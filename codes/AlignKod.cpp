#include "codes/AlignKod.h"

#include <utility>

#include "codes/CodeKind.h"
#include "codes/CodeText.h"
#include "text/Wastring.h"

namespace codes {

using detail::filledUp;
using detail::isDigit;
using detail::part;
using detail::partFrom;
using detail::positionOf;
using detail::rightAligned;

namespace {

constexpr std::size_t kCollectionWidth = 6;
constexpr std::size_t kCollectionFirstPartWidth = 2;  // base letter M: before the "."
constexpr std::size_t kCollectionSecondPartWidth = 4;  // base letter M: after the "."
constexpr std::size_t kNumberWidth = 4;
constexpr std::size_t kPartWidth = 5;  // number and suffix, or prefix and number
constexpr std::size_t kShortSection = 2;

// L + C + B in one piece, with room for the rest of an aligned form.
std::string joined(const std::string& L, const std::string& C, const std::string& B) {
    std::string X;
    X.reserve(kAlignedWidthG);
    X += L;
    X += C;
    X += B;
    return X;
}

// Something follows position d of R.
bool hasTextAfter(const std::string& R, std::size_t d) { return R.size() > d; }

// The kind G layout: a section of two columns and a four-digit table before the position.
std::string alignTailG(std::string R, const std::string& L, const std::string& C) {
    const std::size_t d2 = positionOf(R, '-');
    if (d2 == 0) return L + C + R;
    std::string E(detail::trimmedView(detail::partView(R, 1, d2 - 1)));
    if (E.size() < kShortSection) E.insert(E.begin(), detail::kBlank);
    if (!hasTextAfter(R, d2)) return L + C + E;
    R = partFrom(R, d2 + 1);
    const std::size_t d3 = positionOf(R, '-');
    if (d3 > 0) {
        const std::string B = rightAligned(detail::trimmedView(detail::partView(R, 1, d3 - 1)), kNumberWidth);
        std::string X = joined(L, C, E);
        X += B;
        if (hasTextAfter(R, d3)) X += AlignPosition(R, d3);
        return X;
    }
    return L + C + E + ShapeAsPosition(R);
}

}  // namespace

std::string ShapeAsPosition(std::string_view p) {
    if (p.empty() || p.size() >= kPartWidth) return std::string(p);
    if (isDigit(p.back())) return rightAligned(p, kNumberWidth) + detail::kBlank;
    return rightAligned(p, kPartWidth);
}

std::string AlignPosition(const std::string& R, std::size_t d) {
    return ShapeAsPosition(detail::trimmedView(detail::partFromView(R, d + 1)));
}

std::string AlignTableAndPosition(const std::string& R, const std::string& L,
                                  const std::string& C, std::string B, std::size_t d) {
    if (B.empty()) return {};
    if (isDigit(B.back()) && B.size() < kPartWidth) B += detail::kBlank;
    B = rightAligned(B, kPartWidth);
    std::string X = joined(L, C, B);
    if (hasTextAfter(R, d)) X += AlignPosition(R, d);
    return X;
}

std::string AlignKodTail(std::size_t d, const std::string& R, const std::string& L,
                         const std::string& C, char baseLetter) {
    if (d > 0) {
        std::string B(detail::trimmedView(detail::partView(R, 1, d - 1)));
        if (baseLetter != '4') return AlignTableAndPosition(R, L, C, std::move(B), d);
        if (B.empty()) return {};
        if (isDigit(B.front())) {
            B = rightAligned(B, kPartWidth);
        } else {
            B = B.front() + rightAligned(partFrom(B, 2), kNumberWidth);
        }
        std::string X = joined(L, C, B);
        if (hasTextAfter(R, d)) X += AlignPosition(R, d);
        return X;
    }
    std::string B(detail::trimmedView(R));
    if (B.empty()) return {};
    if (baseLetter == '4') {
        if (!isDigit(B.front())) B = B.front() + rightAligned(partFrom(B, 2), kNumberWidth);
    } else if (isDigit(B.back())) {
        B += detail::kBlank;
    }
    return joined(L, C, rightAligned(B, kPartWidth));
}

std::string AlignKodTailM(const std::string& R, const std::string& L, std::string C,
                          char baseLetter) {
    const std::size_t p = positionOf(C, '.');
    if (p > 0) {
        std::string aligned = rightAligned(detail::trimmedView(detail::partView(C, 1, p - 1)),
                                           kCollectionFirstPartWidth);
        aligned += rightAligned(detail::trimmedView(detail::partFromView(C, p + 1)),
                                kCollectionSecondPartWidth);
        C = std::move(aligned);
    } else {
        C = rightAligned(C, kCollectionWidth);
    }
    return AlignKodTail(positionOf(R, '-'), R, L, C, baseLetter);
}

std::string AlignKod(std::string_view code, char baseLetter, std::string& kind) {
    kind.clear();
    // The inner kind only decides the final width; it is set even where no kind is handed out.
    std::string widthKind;
    const std::string_view S = detail::trimmedView(code);
    if (S.empty()) return std::string(kAlignedWidth, detail::kBlank);

    // A raw code (its marker anywhere) is only filled up.
    if (baseLetter == 'M') {
        if (detail::contains(S, ',')) return filledUp(std::string(S), kAlignedWidth);
    } else if (detail::contains(S, '.')) {
        return filledUp(std::string(S), baseLetter == 'G' ? kAlignedWidthG : kAlignedWidth);
    }

    const std::string L(S.substr(0, 1));
    std::string X;
    if (S.size() < 2) {
        X = L;
    } else {
        std::string R(S.substr(1));
        const std::size_t d = positionOf(R, '-');
        if (d == 0) {
            if (baseLetter != 'M') X = L + rightAligned(R, kCollectionWidth);
            widthKind = std::string(1, baseLetter);
        } else {
            const std::string_view collection = detail::trimmedView(detail::partView(R, 1, d - 1));
            kind = CodeKind(L, collection, baseLetter);
            widthKind = kind;
            const std::string C = rightAligned(collection, kCollectionWidth);
            if (!hasTextAfter(R, d)) {
                X = L + C;
            } else {
                R = partFrom(R, d + 1);
                if (baseLetter == 'G' && kind == kKindG) {
                    X = alignTailG(R, L, C);
                } else if (baseLetter == 'M') {
                    X = AlignKodTailM(R, L, C, baseLetter);
                } else {
                    X = AlignKodTail(positionOf(R, '-'), R, L, C, baseLetter);
                }
            }
        }
    }
    return filledUp(std::move(X), widthKind == kKindG ? kAlignedWidthG : kAlignedWidth);
}

}  // namespace codes
