#include "codes/PackAlignedKod.h"

#include "codes/CodeKind.h"
#include "codes/CodeText.h"
#include "codes/PackDigits.h"
#include "text/Wastring.h"

namespace codes {

using detail::part;

std::string PackAlignedKod(std::string_view X, char baseLetter) {
    const std::string kind = baseLetter == 'G'
                                 ? CodeKind(part(X, 1, 1), text::trimmed(part(X, 2, 7)), baseLetter)
                                 : CodeKind({}, {}, baseLetter);
    std::string P = part(X, 1, 1) + PackDigits(part(X, 2, 7));
    if (kind == kKindG) {
        P += PackDigits(part(X, 8, 9));    // section
        P += PackDigits(part(X, 10, 13));  // table
        P += PackDigits(part(X, 14, 17)) + part(X, 18, 18);
    } else if (kind == kKind4) {
        P += part(X, 8, 8) + PackDigits(part(X, 9, 12));  // prefix and table number
        P += PackDigits(part(X, 13, 16)) + part(X, 17, 17);
    } else {
        P += PackDigits(part(X, 8, 11)) + part(X, 12, 12);  // table number and suffix
        P += PackDigits(part(X, 13, 16)) + part(X, 17, 17);
    }
    return P;
}

}  // namespace codes
