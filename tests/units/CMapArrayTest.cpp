#include <gtest/gtest.h>

#include <string>

#include "text/CodePages.h"
#include "units/Cmaparray.h"

TEST(CMapArray, PositionsFollowKeyOrder) {
    CMapArray<int, std::string> map;
    EXPECT_TRUE(map.Add(4, "d"));
    EXPECT_TRUE(map.Add(1, "a"));
    EXPECT_TRUE(map.Add(3, "c"));
    EXPECT_EQ(map.GetByIndex(0), "a");
    EXPECT_EQ(map.GetByIndex(1), "c");
    EXPECT_EQ(map.GetByIndex(2), "d");
}

TEST(CMapArray, SecondAddKeepsTheFirstValue) {
    CMapArray<int, std::string> map;
    EXPECT_TRUE(map.Add(1, "first"));
    EXPECT_FALSE(map.Add(1, "second"));
    EXPECT_EQ(map.GetByKey(1), "first");
    EXPECT_EQ(map.Count(), 1u);
}

TEST(CMapArray, GetByKeyOfMissingKeyAddsAnEmptyEntry) {
    CMapArray<int, std::string> map;
    EXPECT_EQ(map.GetByKey(7), "");
    EXPECT_EQ(map.Count(), 1u);
    EXPECT_FALSE(map.Add(7, "x"));
}

TEST(CMapArray, TextKeysAreOrderedByUnsignedBytes) {
    CMapArray<std::string, int> map;
    const std::string upper = "ШТ"_w;
    const std::string lower = "шт"_w;
    map.Add(lower, 1);
    map.Add(upper, 2);
    map.Add("zz", 3);
    map.Add("ab", 4);
    map.Add("a", 5);
    map.Add("Ёлка"_w, 6);
    EXPECT_EQ(map.GetByIndex(0), 5);  // a prefix comes first
    EXPECT_EQ(map.GetByIndex(1), 4);
    EXPECT_EQ(map.GetByIndex(2), 3);  // Latin before Cyrillic
    EXPECT_EQ(map.GetByIndex(3), 6);  // Ё (0xA8) before the other Cyrillic letters
    EXPECT_EQ(map.GetByIndex(4), 2);  // capitals before small letters
    EXPECT_EQ(map.GetByIndex(5), 1);
}

TEST(CMapArray, GetByIndexOutOfRangeThrows) {
    CMapArray<int, std::string> map;
    EXPECT_THROW(map.GetByIndex(0), CMapArray_Exc_OutOfRangeByIndex);
    map.Add(1, "a");
    EXPECT_THROW(map.GetByIndex(1), CMapArray_Exc);
    EXPECT_EQ(map.GetByIndex(0), "a");
}

TEST(CMapArray, ClearAllowsTheSameKeysAgain) {
    CMapArray<int, std::string> map;
    map.Add(1, "a");
    map.Add(2, "b");
    map.Clear();
    EXPECT_EQ(map.Count(), 0u);
    EXPECT_TRUE(map.Add(1, "c"));
    EXPECT_TRUE(map.Add(2, "d"));
}
