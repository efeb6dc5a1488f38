#include <gtest/gtest.h>

#include <string>

#include "reader/ReaderErrorText.h"
#include "text/CodePages.h"

namespace {

struct Case {
    int code;
    const char* utf8;
};

const Case kCases[] = {
    {1, "Ошибка при открытии файла!"},
    {2, "Не верный тип данных!"},
    {4, "Ошибка памяти! Перезапустите программу."},
    {5, "Выход за пределы массива!"},
    {0, ""},
    {3, ""},
    {6, ""},
    {7, ""},
    {-1, ""},
};

}  // namespace

TEST(ReaderErrorText, EveryCodeHasItsTextOrNone) {
    for (const Case& c : kCases) {
        EXPECT_EQ(ReaderErrorText(c.code), text::utf8ToCp1251(c.utf8)) << "code " << c.code;
    }
}

TEST(ReaderErrorText, TextsAreWindows1251Bytes) {
    // One byte a letter; "О" of "Ошибка" is 0xCE in Windows-1251.
    const std::string text = ReaderErrorText(1);
    ASSERT_EQ(text.size(), 26u);
    EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xCE);
}
