#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/CodePages.h"
#include "units/Cmaparray.h"
#include "units/Tkeyname.h"

namespace {

using SKeyName = TKeyName::SKeyName;

TEST(TKeyName, EntriesAreOrderedByNameBytes) {
    TKeyName dictionary;
    EXPECT_TRUE(dictionary.Add("2", "шт"_w));
    EXPECT_TRUE(dictionary.Add("1", "м"_w));
    std::string text = "old";
    EXPECT_TRUE(dictionary.GetKeys(text));
    EXPECT_EQ(text, "1\n2\n");
    EXPECT_TRUE(dictionary.GetNames(text));
    EXPECT_EQ(text, "м\nшт\n"_w);
    EXPECT_TRUE(dictionary.GetKeyNames(text));
    EXPECT_EQ(text, "1=м\n2=шт\n"_w);
    EXPECT_EQ(dictionary.Count(), 2);
    EXPECT_EQ(dictionary.IndexOfName("м"_w), 0);
    EXPECT_EQ(dictionary.IndexOfName("шт"_w), 1);
}

TEST(TKeyName, EmptyDictionaryListsNothingAndFindsNothing) {
    TKeyName dictionary;
    std::string text = "left over";
    EXPECT_TRUE(dictionary.GetKeys(text));
    EXPECT_EQ(text, "");
    text = "left over";
    EXPECT_TRUE(dictionary.GetNames(text));
    EXPECT_EQ(text, "");
    text = "left over";
    EXPECT_TRUE(dictionary.GetKeyNames(text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(dictionary.Count(), 0);
    EXPECT_EQ(dictionary.GetNameByKey("1"), "");
    EXPECT_EQ(dictionary.IndexOfKey("1"), -1);
    EXPECT_EQ(dictionary.IndexOfName(""), -1);
}

TEST(TKeyName, MissingNameLeavesTheOutKeyAsItWas) {
    TKeyName dictionary;
    dictionary.Add("1", "м"_w);
    std::string key = "unchanged";
    EXPECT_FALSE(dictionary.GetKeyByName("м2"_w, key));
    EXPECT_EQ(key, "unchanged");
    EXPECT_TRUE(dictionary.GetKeyByName("м"_w, key));
    EXPECT_EQ(key, "1");
}

TEST(TKeyName, ComparisonsAreExact) {
    TKeyName dictionary;
    dictionary.Add(" 7", "кг"_w);
    struct Case {
        std::string name;
        bool found;
    };
    const Case cases[] = {
        {"кг"_w, true},  {"кг "_w, false}, {" кг"_w, false}, {"КГ"_w, false},
        {"Кг"_w, false}, {"к"_w, false},   {"кгс"_w, false},
    };
    for (const Case& c : cases) {
        std::string key;
        EXPECT_EQ(dictionary.GetKeyByName(c.name, key), c.found) << text::cp1251ToUtf8(c.name);
        EXPECT_EQ(dictionary.IndexOfName(c.name) >= 0, c.found) << text::cp1251ToUtf8(c.name);
    }
    EXPECT_EQ(dictionary.IndexOfKey(" 7"), 0);
    EXPECT_EQ(dictionary.IndexOfKey("7"), -1);
    EXPECT_EQ(dictionary.GetNameByKey("7 "), "");
}

TEST(TKeyName, AnExistingNameKeepsItsFirstKey) {
    TKeyName dictionary;
    EXPECT_TRUE(dictionary.Add("1", "т"_w));
    EXPECT_FALSE(dictionary.Add("2", "т"_w));
    std::string key;
    ASSERT_TRUE(dictionary.GetKeyByName("т"_w, key));
    EXPECT_EQ(key, "1");
    EXPECT_EQ(dictionary.Count(), 1);
    // The dropped entry leaves no trace behind its key either.
    EXPECT_EQ(dictionary.IndexOfKey("2"), -1);
    EXPECT_EQ(dictionary.GetNameByKey("2"), "");
}

TEST(TKeyName, SharedKeyYieldsTheNameFirstInByteOrder) {
    for (const bool smallerFirst : {true, false}) {
        SCOPED_TRACE(smallerFirst ? "smaller name added first" : "smaller name added last");
        TKeyName dictionary;
        dictionary.Add("0", "A");
        if (smallerFirst) {
            dictionary.Add("5", "м2"_w);
            dictionary.Add("5", "шт"_w);
        } else {
            dictionary.Add("5", "шт"_w);
            dictionary.Add("5", "м2"_w);
        }
        EXPECT_EQ(dictionary.GetNameByKey("5"), "м2"_w);
        EXPECT_EQ(dictionary.IndexOfKey("5"), 1);
    }
}

TEST(TKeyName, PositionsMoveWhenASmallerNameArrives) {
    TKeyName dictionary;
    dictionary.Add("3", "т"_w);
    EXPECT_EQ(dictionary.IndexOfName("т"_w), 0);
    dictionary.Add("1", "м"_w);
    EXPECT_EQ(dictionary.IndexOfName("т"_w), 1);
    EXPECT_EQ(dictionary.IndexOfKey("3"), 1);
    dictionary.Add("9", "100 м"_w);  // digits before Cyrillic letters
    EXPECT_EQ(dictionary.IndexOfKey("3"), 2);
    EXPECT_EQ(dictionary.IndexOfName("100 м"_w), 0);
}

TEST(TKeyName, ClearEmptiesEverything) {
    TKeyName dictionary;
    dictionary.Add("1", "м"_w);
    dictionary.Add("2", "т"_w);
    dictionary.Clear();
    EXPECT_EQ(dictionary.Count(), 0);
    EXPECT_EQ(dictionary.IndexOfKey("1"), -1);
    EXPECT_EQ(dictionary.GetNameByKey("2"), "");
    EXPECT_TRUE(dictionary.Add("2", "м"_w));
    EXPECT_EQ(dictionary.GetNameByKey("2"), "м"_w);
}

TEST(TKeyName, CapitalCyrillicComesBeforeSmallAndYoBeforeTheOthers) {
    TKeyName dictionary;
    dictionary.Add("a", "а"_w);
    dictionary.Add("b", "Я"_w);
    dictionary.Add("c", "ё"_w);
    dictionary.Add("d", "Ё"_w);
    std::string keys;
    dictionary.GetKeys(keys);
    EXPECT_EQ(keys, "d\nc\nb\na\n");  // Ё (0xA8), ё (0xB8), Я (0xDF), а (0xE0)
}

// The lookups as the dictionary defines them: a walk over the positions, first match wins.
struct WalkingReference {
    CMapArray<std::string, SKeyName> items;

    std::string nameByKey(const std::string& key) {
        for (std::size_t i = 0; i < items.Count(); ++i)
            if (items.GetByIndex(i).Key == key) return items.GetByIndex(i).Name;
        return std::string();
    }
    int indexOfKey(const std::string& key) {
        for (std::size_t i = 0; i < items.Count(); ++i)
            if (items.GetByIndex(i).Key == key) return static_cast<int>(i);
        return -1;
    }
    int indexOfName(const std::string& name) {
        for (std::size_t i = 0; i < items.Count(); ++i)
            if (items.GetByIndex(i).Name == name) return static_cast<int>(i);
        return -1;
    }
};

TEST(TKeyName, IndexedLookupsAgreeWithTheWalkOverPositions) {
    std::mt19937 random(419);
    const std::string alphabet = "1 м2шт"_w + "\xFF\x80";
    auto randomText = [&](std::size_t maxLength) {
        std::string s;
        const std::size_t length = random() % (maxLength + 1);
        for (std::size_t i = 0; i < length; ++i) s += alphabet[random() % alphabet.size()];
        return s;
    };

    TKeyName dictionary;
    WalkingReference reference;
    for (int round = 0; round < 400; ++round) {
        const std::string key = randomText(2);
        const std::string name = randomText(4);
        EXPECT_EQ(dictionary.Add(key, name), reference.items.Add(name, SKeyName(key, name)));
        // Lookups between additions catch positions that were not brought up to date.
        const std::string probeKey = randomText(2);
        const std::string probeName = randomText(4);
        ASSERT_EQ(dictionary.GetNameByKey(probeKey), reference.nameByKey(probeKey));
        ASSERT_EQ(dictionary.IndexOfKey(probeKey), reference.indexOfKey(probeKey));
        ASSERT_EQ(dictionary.IndexOfName(probeName), reference.indexOfName(probeName));
    }
    ASSERT_EQ(dictionary.Count(), static_cast<int>(reference.items.Count()));
    std::string expectedKeyNames;
    for (std::size_t i = 0; i < reference.items.Count(); ++i) {
        const SKeyName& entry = reference.items.GetByIndex(i);
        expectedKeyNames += entry.Key + "=" + entry.Name + "\n";
        EXPECT_EQ(dictionary.IndexOfName(entry.Name), static_cast<int>(i));
        EXPECT_EQ(dictionary.IndexOfKey(entry.Key), reference.indexOfKey(entry.Key));
        EXPECT_EQ(dictionary.GetNameByKey(entry.Key), reference.nameByKey(entry.Key));
        std::string key;
        EXPECT_TRUE(dictionary.GetKeyByName(entry.Name, key));
        EXPECT_EQ(key, entry.Key);
    }
    std::string keyNames;
    dictionary.GetKeyNames(keyNames);
    EXPECT_EQ(keyNames, expectedKeyNames);
}

}  // namespace
