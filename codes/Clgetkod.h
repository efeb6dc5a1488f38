#pragma once
// The code parser: splits a normative code into the four stored fields TIP, SBOR, TABL and POZ
// (code page 866, fixed widths 1, 6, 5, 5) and checks four fields for a valid code of the
// current base. The converter owns one for the whole run; the correspondence dialog builds
// one of its own to check what the user typed.
#include <cstddef>
#include <string>
#include <string_view>

#include "text/Wastring.h"

class ClGetKod {
public:
    // Longest code the parser accepts as a normative code; a longer one is stored raw.
    static constexpr std::size_t kMaxKodLength = 99;
    // A raw code keeps at most this many of its own characters before its marker.
    static constexpr std::size_t kMaxRawLength = 16;

    ClGetKod();

    // code: Windows-1251, already trimmed by the caller. False, with the outputs untouched,
    // only for an empty code; otherwise fills all four fields (aligned fields of a valid
    // code, or the raw code cut into fields) and returns true.
    bool ParseKod(const std::string& code, char baseLetter, std::string& TIP, std::string& SBOR,
                  std::string& TABL, std::string& POZ) const;

    // Fields: code page 866, each trimmed by the caller. True when they make up a valid
    // normative code of the base in canonical form.
    bool CheckKodParts(const std::string& TIP, const std::string& SBOR, const std::string& TABL,
                       const std::string& POZ, char baseLetter) const;

    // Inner steps of the two above, open for tests.

    // The check by its definition, the round trip through the packed form: true when code
    // (Windows-1251) is written in the canonical form of the base; then the packed fields
    // (widths 1, 3, 3, 3) are filled. They are cleared otherwise. The two checks above decide
    // directly (codes/KodForm), held equal to this one by the tests and a fuzz target.
    bool PackKod(const std::string& code, char baseLetter, std::string& TIP, std::string& SBOR,
                 std::string& TABL, std::string& POZ) const;
    // Aligned fields (code page 866) of a code that PackKod accepted, from its packed fields.
    void ExpandPackedKod(const std::string& packedTIP, const std::string& packedSBOR,
                         const std::string& packedTABL, const std::string& packedPOZ,
                         char baseLetter, std::string& TIP, std::string& SBOR,
                         std::string& TABL, std::string& POZ) const;
    // The raw code with its marker cut into fields (code page 866); false for an empty code.
    bool SplitRawKod(const std::string& code, std::string& TIP, std::string& SBOR,
                     std::string& TABL, std::string& POZ) const;
    // The code text (Windows-1251) that four fields stand for; false when they are all blank.
    bool BuildKodText(const std::string& TIP, const std::string& SBOR, const std::string& TABL,
                      const std::string& POZ, char baseLetter, std::string& code) const;

    const std::string FDescription;
    text::WString FStr;
    // The base code ("MG419"), public because its owner sets it per conversion: the raw marker
    // needs the whole base code ("M" alone marks with ","), the grammar only the letter passed.
    std::string FBaseCode;

private:
    // ParseKod's check and alignment by the round trip through the packed form, for the
    // codes the direct check leaves undecided.
    bool parseByRoundTrip(const std::string& code, char baseLetter, std::string& TIP,
                          std::string& SBOR, std::string& TABL, std::string& POZ) const;
    // The check of a composed code: direct, or by the round trip where that leaves it open.
    bool checkKod(std::string_view code, char baseLetter) const;
    // PackKod, also handing out the aligned form of an accepted code and its kind.
    bool packKod(const std::string& code, char baseLetter, std::string& TIP, std::string& SBOR,
                 std::string& TABL, std::string& POZ, std::string& aligned, std::string& kind) const;
    // The four stored fields (code page 866) of an aligned form of the given kind.
    // kind: the kind letter, '\0' for none.
    void alignedFields(std::string_view aligned, char kind, std::string& TIP, std::string& SBOR,
                       std::string& TABL, std::string& POZ) const;
    void rememberCheck(std::string_view code, char baseLetter, bool accepted) const;

    // The outcome of the last check of a code (a parse checks its code too). A parser object
    // is therefore used by one thread at a time, as the converter and the dialog use theirs.
    struct LastCheck {
        std::string code;
        char baseLetter = '\0';
        bool accepted = false;
        bool valid = false;
    };
    mutable LastCheck FLastCheck;
};
