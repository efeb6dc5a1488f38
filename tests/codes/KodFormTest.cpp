// The direct check of a code and the composing of fields into a buffer against the round
// trip and the allocating composing they replace on the parser's hot path: valid codes of
// every base letter, and each of them mutated in the ways typing and sources spoil codes.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "codes/AlignKod.h"
#include "codes/Clgetkod.h"
#include "codes/CodeKind.h"
#include "codes/KodForm.h"
#include "codes/KodTextOfFields.h"
#include "tests/codes/CodeTestText.h"
#include "text/CodePages.h"
#include "text/TextRules.h"

namespace {

using codes::KodForm;
using codes_test::showAnsi;
using codes_test::w;

// Valid codes of a base letter built from their grammar, and their spoilt variants.
class ValidCodes {
public:
    explicit ValidCodes(unsigned seed) : FRandom(seed) {}

    std::string code(char base) {
        std::string s = typeLetter(base);
        if (base == 'M') {
            s += digits(0, 2) + "." + digits(1, 4);
        } else {
            s += digits(1, 6);
        }
        const bool kindG = base == 'G' && (s[0] == "Е"_w[0] || s[0] == "Ц"_w[0]);
        s += '-';
        if (kindG) {
            s += pick(0, 3) == 0 ? " " + digits(1, 1) : digits(2, 2);
            s += '-';
            s += digits(pick(0, 5) == 0 ? 0 : 1, 4);
            s += '-';
            s += position();
            return s;
        }
        if (base == '4' && pick(0, 2) == 0) {
            s += letter() + digits(0, 4);
        } else if (pick(0, 3) == 0) {
            s += digits(1, 4) + letter();
        } else {
            s += digits(1, 5);
        }
        if (pick(0, 1)) s += "-" + position();
        return s;
    }

    // One of the ways a code gets spoilt.
    std::string mutated(std::string s) {
        const auto at = [&](std::size_t extra) {
            return static_cast<std::size_t>(pick(0, static_cast<int>(s.size() + extra) - 1));
        };
        switch (pick(0, 9)) {
            case 0: s[at(0)] = anyCharacter(); break;
            case 1: s.insert(at(1), 1, anyCharacter()); break;
            case 2: s.erase(at(0), 1); break;
            case 3: {  // a leading zero after a separator
                const std::size_t dash = s.find('-', at(0));
                if (dash != std::string::npos) s.insert(dash + 1, "0");
                break;
            }
            case 4: {  // another separator
                const std::size_t dash = s.find('-', at(0));
                if (dash != std::string::npos) s[dash] = oneOf({".", ",", " ", "/", "_"})[0];
                break;
            }
            case 5: {  // an overlong part
                const std::size_t dash = s.find('-', at(0));
                s.insert(dash == std::string::npos ? s.size() : dash, digits(1, 5));
                break;
            }
            case 6: s = oneOf({" ", "\t", "-"}) + s + oneOf({"", " ", "-", ".", ","}); break;
            case 7: s.insert(at(1), w(oneOf({"а", "Я", "Е", "ё", "О"}))); break;
            case 8: s.insert(at(1), oneOf({"  ", "--", "- ", " -", ".."})); break;
            default: s[0] = typeLetter(oneOf({"4", "G"})[0])[0]; break;
        }
        return s;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }

    std::string oneOf(std::initializer_list<const char*> choices) {
        const auto i = static_cast<std::size_t>(pick(0, static_cast<int>(choices.size()) - 1));
        return *(choices.begin() + i);
    }

    std::string digits(int low, int high) {
        std::string s;
        const int n = pick(low, high);
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + pick(0, 9));
        return s;
    }

    std::string typeLetter(char base) {
        if (base == 'G' && pick(0, 1)) return w(oneOf({"Е", "Ц", "е"}));
        return w(oneOf({"С", "Х", "З", "Т", "E", "1", "А", "R", "О"}));
    }

    std::string letter() { return w(oneOf({"а", "б", "Я", "A", "x", "№"})); }

    std::string position() {
        std::string s = digits(1, pick(0, 3) == 0 ? 5 : 4);
        if (s.size() < 5 && pick(0, 4) == 0) s += letter();
        return s;
    }

    char anyCharacter() {
        const std::string alphabet = "0123456789-., \t/" + w("аЯЕЦО") + "\x01\x7F\xFF";
        return alphabet[static_cast<std::size_t>(pick(0, static_cast<int>(alphabet.size()) - 1))];
    }

    std::mt19937 FRandom;
};

struct Tally {
    int canonical = 0;
    int notCanonical = 0;
    int undecided = 0;
};

// The direct check agrees with the round trip, and a canonical code's aligned form is the one
// AlignKod makes.
void expectSameAsRoundTrip(const ClGetKod& parser, const std::string& code, char base, Tally& tally) {
    codes::AlignedKodText aligned;
    const KodForm form = codes::CheckKodForm(code, base, aligned);
    std::string a, b, c, d;
    const bool reference = parser.PackKod(code, base, a, b, c, d);
    if (form == KodForm::Undecided) {
        ++tally.undecided;
        return;
    }
    ASSERT_EQ(form == KodForm::Canonical, reference) << base << " " << showAnsi(code);
    if (reference) {
        ++tally.canonical;
        // Base letter M takes a code beginning with "О" as it stands, without aligning it.
        if (aligned.size == 0) {
            ASSERT_EQ(base, 'M');
            ASSERT_TRUE(code[0] == "О"_w[0] || code[0] == "о"_w[0]) << showAnsi(code);
            return;
        }
        std::string kind;
        const std::string expected = codes::AlignKod(text::ansiToOem(code), base, kind);
        ASSERT_EQ(aligned.view(), expected) << base << " " << showAnsi(code);
        ASSERT_EQ(std::string(1, aligned.kind), kind) << base << " " << showAnsi(code);
    } else {
        ++tally.notCanonical;
    }
}

// The fields the parser makes of the code compose and check as the allocating way says.
void expectFieldsSameAsReference(const ClGetKod& reference, const std::string& code, char base) {
    ClGetKod parser;
    std::string TIP, SBOR, TABL, POZ;
    if (!parser.ParseKod(code, base, TIP, SBOR, TABL, POZ)) return;
    const std::string t[4] = {text::trimmed(TIP), text::trimmed(SBOR), text::trimmed(TABL),
                              text::trimmed(POZ)};
    codes::detail::KodTextBuffer buffer;
    const codes::FieldsText result = codes::KodTextOfFields(t[0], t[1], t[2], t[3], base, buffer);
    std::string expected;
    const bool built = reference.BuildKodText(t[0], t[1], t[2], t[3], base, expected);
    ASSERT_NE(result, codes::FieldsText::TooLong);
    ASSERT_EQ(result == codes::FieldsText::Composed, built) << showAnsi(code);
    if (built) {
        ASSERT_EQ(buffer.view(), expected) << showAnsi(code);
    }
    std::string a, b, c, d;
    ASSERT_EQ(parser.CheckKodParts(t[0], t[1], t[2], t[3], base),
              built && reference.PackKod(expected, base, a, b, c, d))
        << base << " " << showAnsi(code);
}

TEST(KodFormTest, AgreesWithTheRoundTripOnValidAndSpoiltCodes) {
    const ClGetKod parser;
    for (const char base : {'4', '9', 'G', 'M', '1'}) {
        ValidCodes generator(static_cast<unsigned>(base) * 31337u);
        Tally valid, spoilt;
        for (int round = 0; round < 1500; ++round) {
            const std::string code = generator.code(base);
            expectSameAsRoundTrip(parser, code, base, valid);
            expectFieldsSameAsReference(parser, code, base);
            for (int m = 0; m < 6; ++m) {
                std::string variant = generator.mutated(code);
                if (m % 2) variant = generator.mutated(variant);
                expectSameAsRoundTrip(parser, variant, base, spoilt);
                expectFieldsSameAsReference(parser, variant, base);
            }
            if (HasFatalFailure()) return;
        }
        // The generator makes mostly canonical codes, and the variants hit both answers.
        EXPECT_GT(valid.canonical, 800) << base;
        EXPECT_GT(spoilt.canonical, 1000) << base;
        EXPECT_GT(spoilt.notCanonical, 5000) << base;
        // Only the blank kind G section is left to the round trip, and it is rare.
        EXPECT_LT(valid.undecided + spoilt.undecided, 100) << base;
    }
}

struct Case {
    const char* code;
    char base;
    bool canonical;
};

// The canonical forms and their near misses, one per rule of the direct check.
TEST(KodFormTest, DecidesTheShapesOfEveryKind) {
    const Case cases[] = {
        {"С101-0001-1", '4', true},       {"С101-1-1", '4', true},
        {"С101-а12-15а", '4', true},      {"С101-а-1", '4', true},
        {"С101-1·234", '4', false},       {"С101-12·34", '4', true},
        {"С101-а·12", '4', false},        {"С101-123456", '4', false},
        {"С101-0001-", '4', false},       {"С101-0001.", '4', false},
        {"·С101-0001", '4', false},       {"А101-0001", '4', false},
        {"R101-0001", '4', false},        {"С1·1-0001", '4', true},
        {"С101-0001-1-2", '9', true},     {"С101-0001--5", '9', true},
        {"С101-0001а-12", '9', true},     {"С101-00001", '9', true},
        {"С101-0001а1", '9', false},      {"С1234567-1", '9', false},
        {"Е01-01-001-01", 'G', true},     {"Е01-·5-001-01", 'G', true},
        {"Е01-5-001-01", 'G', false},     {"Е01-01--01", 'G', true},
        {"Е01-01-1·01", 'G', true},       {"Е01-01-001", 'G', true},
        {"Е01-01-001а", 'G', false},      {"С01-01-001-01", 'G', false},
        {"Е51-01-01-001", 'G', false},      {"Е51-01-001", 'G', true},
        {"Е51-0001-1", 'G', true},        {"С01-01-001-1", 'G', true},
        {"С12.345-1-2", 'M', true},       {"С.5-1-2", 'M', true},
        {"С12.-1", 'M', true},            {"С123.4-1", 'M', false},
        {"С12.34567-1", 'M', false},      {"С12·.4-1", 'M', false},
        {"С1.2.3-4.-5", 'M', true},       {"С1234-1", 'M', false},
        {"О12,5", 'M', true},             {"С12.3-4,", 'M', false},
    };
    const ClGetKod parser;
    for (const Case& c : cases) {
        const std::string code = w(c.code);
        codes::AlignedKodText aligned;
        const KodForm form = codes::CheckKodForm(code, c.base, aligned);
        std::string a, b, d, e;
        EXPECT_EQ(parser.PackKod(code, c.base, a, b, d, e), c.canonical) << c.code;
        EXPECT_EQ(form, c.canonical ? KodForm::Canonical : KodForm::NotCanonical) << c.code;
    }
}

TEST(KodFormTest, LeavesOnlyOtherBasesAndTheBlankSectionOpen) {
    codes::AlignedKodText aligned;
    EXPECT_EQ(codes::CheckKodForm(w("С101-0001"), 'Z', aligned), KodForm::Undecided);
    EXPECT_EQ(codes::CheckKodForm(w("С101-0001"), '\0', aligned), KodForm::Undecided);
    EXPECT_EQ(codes::CheckKodForm(w("Е01-··-001-01"), 'G', aligned), KodForm::Undecided);
    EXPECT_EQ(codes::CheckKodForm(w("С01-··-001-01"), 'G', aligned), KodForm::NotCanonical);
}

TEST(KodFormTest, FieldsTooLongForTheBufferAreLeftToTheAllocatingWay) {
    codes::detail::KodTextBuffer buffer;
    const std::string longField(codes::detail::KodTextBuffer::kCapacity, '1');
    EXPECT_EQ(codes::KodTextOfFields("С", longField, "1", "1", '4', buffer), codes::FieldsText::TooLong);
    EXPECT_EQ(codes::KodTextOfFields(" ", "  ", "\t", "", '4', buffer), codes::FieldsText::Blank);
    // The parser still checks such fields, the allocating way.
    const ClGetKod parser;
    EXPECT_FALSE(parser.CheckKodParts(w("С"), longField, "1", "1", '4'));
}

}  // namespace

namespace {

// The one-letter kind the direct check and the composing use is CodeKind's, for every type
// letter, the collections around the boundaries of kind G, and every base letter.
TEST(KodFormTest, KindOfCodeIsCodeKind) {
    for (int letter = 0; letter < 256; ++letter) {
        const char typeLetter = static_cast<char>(letter);
        const std::string oemLetter = text::ansiToOem(std::string(1, typeLetter));
        for (const char* collection : {"", "1", "50", "51", "69", "70", "8000", "8001", "1 70",
                                       "99999999999999999999", "а"}) {
            for (const char base : {'4', '9', '1', 'G', 'M', 'Z'}) {
                EXPECT_EQ(std::string(1, codes::KindOfCode(typeLetter, collection, base)),
                          codes::CodeKind(oemLetter, collection, base))
                    << letter << " " << collection << " " << base;
            }
        }
    }
}

}  // namespace
