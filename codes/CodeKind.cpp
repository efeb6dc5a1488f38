#include "codes/CodeKind.h"

#include <limits>

#include "codes/CodeText.h"
#include "text/CodePages.h"

namespace codes {

long long LeadingNumber(std::string_view collection) {
    std::size_t i = 0;
    while (i < collection.size() && collection[i] == detail::kBlank) ++i;
    bool negative = false;
    if (i < collection.size() && (collection[i] == '+' || collection[i] == '-')) {
        negative = collection[i] == '-';
        ++i;
    }
    // Anything above the largest boundary the grammar compares with gives the same kind, so
    // a long run of digits is held at a large value rather than overflowing.
    constexpr long long kCeiling = std::numeric_limits<long long>::max() / 16;
    long long n = 0;
    while (i < collection.size() && detail::isDigit(collection[i])) {
        if (n < kCeiling) n = n * 10 + (collection[i] - '0');
        ++i;
    }
    return negative ? -n : n;
}

std::string CodeKind(std::string_view typeLetter, std::string_view collection, char baseLetter) {
    switch (baseLetter) {
        case '1':
        case '9':
            return kKind9;
        case 'M':
            return kKindM;
        case 'G': {
            // Only this base looks at the letter and the collection. The code pages map byte
            // to byte, so the letter is compared in code page 866.
            static const std::string ie = text::ansiToOem(std::string_view(&detail::kCapitalIe1251, 1));
            static const std::string tse = text::ansiToOem(std::string_view(&detail::kCapitalTse1251, 1));
            const long long n = LeadingNumber(collection);
            const bool isIe = typeLetter == ie;
            const bool isTse = typeLetter == tse;
            if (!isIe && !isTse) return kKind9;
            if (isIe && n >= 51 && n <= 69) return kKind9;
            if (n > 8000) return kKind9;
            return kKindG;
        }
        default:
            return kKind4;
    }
}

}  // namespace codes
