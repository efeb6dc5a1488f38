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
    using detail::partView;
    std::string P(partView(X, 1, 1));
    P += PackDigits(partView(X, 2, 7));
    if (kind == kKindG) {
        P += PackDigits(partView(X, 8, 9));    // section
        P += PackDigits(partView(X, 10, 13));  // table
        P += PackDigits(partView(X, 14, 17));
        P += partView(X, 18, 18);
    } else if (kind == kKind4) {
        P += partView(X, 8, 8);  // prefix and table number
        P += PackDigits(partView(X, 9, 12));
        P += PackDigits(partView(X, 13, 16));
        P += partView(X, 17, 17);
    } else {
        P += PackDigits(partView(X, 8, 11));  // table number and suffix
        P += partView(X, 12, 12);
        P += PackDigits(partView(X, 13, 16));
        P += partView(X, 17, 17);
    }
    return P;
}

}  // namespace codes
