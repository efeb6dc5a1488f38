#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/ConversionUi.h"
#include "platform/win32/WideText.h"
#include "tests/dialog/UnitsTableFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "tests/win32/WindowTestSupport.h"
#include "text/CodePages.h"
#include "win32/CorrespondenceWindow.h"

using platform::Answer;
using testing_support::Place;
using testing_support::postChars;
using testing_support::postKey;
using testing_support::RecordingDesktop;
using testing_support::TempFolder;
using testing_support::textUtf8;
using W = win32::CorrespondenceWindow;

namespace {

// One question, asked the way the converter asks it, with the units table in the first units
// folder (or missing).
struct Question {
    enum class Table { Sample, Missing };

    TempFolder first;
    TempFolder second;
    RecordingDesktop desktop;
    std::unique_ptr<W> dialog;
    bool ranOutOfSteps = false;

    explicit Question(int mode, Table table = Table::Sample) {
        if (table == Table::Sample) {
            testing_support::writeUnitsTable(first.file("Ei1.dbf"),
                                             testing_support::sampleUnits());
        }
        dialog = std::make_unique<W>(nullptr);
        dialog->SetQuestion("4ABC", "Не найдено соответствие единицы измерения"_w,
                            "  С101-1-5-  "_w, " м2 "_w, "Кладка стен из кирпича"_w,
                            second.path(), first.path());
        dialog->SetMode(mode);
    }
    HWND c(int id) const { return dialog->control(id); }

    // Runs the dialog modally while the steps act on it, one per timer tick. Steps that leave
    // the dialog open end in Escape, so that a failing test cannot hang.
    int run(std::vector<std::function<void()>> steps) {
        steps.push_back([this] {
            ranOutOfSteps = true;
            postKey(dialog->handle(), VK_ESCAPE);
        });
        testing_support::TimedSteps timed(std::move(steps));
        return dialog->ShowModal();
    }

    struct Answered {
        std::string code, unit, coefficient;
    };
    Answered answer() const {
        Answered a;
        dialog->GetAnswer(a.code, a.unit, a.coefficient);
        a.code = text::cp1251ToUtf8(a.code);
        return a;
    }
    int selectedRow() const {
        return ListView_GetNextItem(c(W::kListId), -1, LVNI_SELECTED);
    }
    // The selected row as the list draws it.
    std::string selectedName() const {
        wchar_t buffer[64] = {};
        ListView_GetItemText(c(W::kListId), selectedRow(), 0, buffer, 64);
        return text::cp1251ToUtf8(platform::win32::narrowForDiagnostics(buffer));
    }
    bool enabled(int id) const { return IsWindowEnabled(c(id)) != FALSE; }
};

}  // namespace

TEST(CorrespondenceWindow, LayoutAsTheFormWasDrawn) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    const HWND window = q.dialog->handle();
    EXPECT_EQ(textUtf8(window), "Выбор соответствия");
    EXPECT_EQ(testing_support::clientSize(window), (Place{0, 0, 590, 487}));
    EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU, 0) << "the close box";

    struct Case {
        int id;
        const char* text;
        Place place;
    } cases[] = {
        {W::kMessageId, "", {0, 0, 590, 65}},
        {W::kGroup1Id, "Норматив Санкт-Питербурга", {0, 65, 590, 144}},
        {W::kLabel1Id, "Код норматива:", {8, 87, 108, 20}},
        {W::kLabel4Id, "Ед. изм.:", {304, 87, 64, 20}},
        {W::kLabel3Id, "Наименование:", {8, 115, 108, 18}},
        {W::kNameId, "", {8, 133, 574, 70}},
        {W::kGroup2Id, "Заменить на", {0, 209, 590, 206}},
        {W::kLabel5Id, "Код норматива:", {8, 233, 108, 20}},
        {W::kKodORNId, "", {118, 229, 170, 26}},
        {W::kLabel6Id, "Коэфф. приведения:", {304, 233, 134, 20}},
        {W::kKPrivId, "", {440, 229, 142, 26}},
        {W::kListId, "", {8, 261, 574, 148}},
        {W::kLabel2Id, "Поиск по имени:", {8, 423, 108, 20}},
        {W::kSearchId, "", {118, 419, 464, 24}},
        {W::kOkId, "Принять", {5, 451, 100, 30}},
        {W::kNextId, "Пропустить", {110, 451, 110, 30}},
        {W::kSkipSbornikId, "Пропустить сборник", {225, 451, 150, 30}},
        {W::kCancelId, "Отмена", {380, 451, 100, 30}},
        {W::kHelpId, "Справка", {485, 451, 100, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_NE(q.c(c.id), nullptr);
        EXPECT_EQ(textUtf8(q.c(c.id)), c.text);
        EXPECT_EQ(testing_support::placeInParent(q.c(c.id)), c.place);
    }
    EXPECT_EQ(testing_support::fontOf(q.c(W::kOkId)).lfHeight, -13);
    for (const int big : {W::kMessageId, W::kKodORNId, W::kKPrivId, W::kKodSPId}) {
        EXPECT_EQ(testing_support::fontOf(q.c(big)).lfHeight, -17);
        EXPECT_EQ(testing_support::fontOf(q.c(big)).lfWeight, FW_BOLD);
    }
    const HWND list = q.c(W::kListId);
    EXPECT_NE(GetWindowLongPtrW(list, GWL_STYLE) & LVS_OWNERDATA, 0) << "virtual mode";
    wchar_t title[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cchTextMax = 64;
    ASSERT_TRUE(ListView_GetColumn(list, 0, &column));
    EXPECT_EQ(text::cp1251ToUtf8(platform::win32::narrowForDiagnostics(title)),
              "Название Единицы измерения");
    EXPECT_EQ(column.cx, 564);
    // Nothing takes input before the first activation.
    for (const int id : {W::kKodORNId, W::kKPrivId, W::kListId, W::kSearchId}) {
        EXPECT_FALSE(q.enabled(id));
    }
}

TEST(CorrespondenceWindow, UnitQuestionStartsOnTheSourceUnitAndEnterAcceptsIt) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    std::vector<std::string> rowsShown;
    bool focusOnSearch = false;
    const int result = q.run({
        [&] {
            const int rows = ListView_GetItemCount(q.c(W::kListId));
            for (int row = 0; row < rows; ++row) {
                wchar_t buffer[64] = {};
                ListView_GetItemText(q.c(W::kListId), row, 0, buffer, 64);
                rowsShown.push_back(
                    text::cp1251ToUtf8(platform::win32::narrowForDiagnostics(buffer)));
            }
            focusOnSearch = GetFocus() == q.c(W::kSearchId);
            EXPECT_EQ(textUtf8(q.c(W::kSearchId)), "м2");
            EXPECT_EQ(textUtf8(q.c(W::kKodSPId)), "С101-1-5-");
            EXPECT_EQ(textUtf8(q.c(W::kEdIzmSPId)), "м2");
            EXPECT_EQ(textUtf8(q.c(W::kKPrivId)), "1.0");
            EXPECT_EQ(textUtf8(q.c(W::kNameId)), "Кладка стен из кирпича");
            EXPECT_EQ(textUtf8(q.c(W::kMessageId)), "Не найдено соответствие единицы измерения");
            EXPECT_EQ(q.selectedName(), "м2");
            RECT inside{};
            GetClientRect(q.c(W::kListId), &inside);
            EXPECT_EQ(ListView_GetColumnWidth(q.c(W::kListId), 0), inside.right)
                << "the column fills the list: no horizontal scroll bar";
            for (const int id : {W::kKPrivId, W::kListId, W::kSearchId, W::kLabel6Id,
                                 W::kLabel2Id}) {
                EXPECT_TRUE(q.enabled(id)) << id;
            }
            EXPECT_FALSE(q.enabled(W::kKodORNId));
            EXPECT_FALSE(q.enabled(W::kLabel5Id));
            postKey(q.c(W::kSearchId), VK_RETURN);
        },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(rowsShown, testing_support::sampleUnitsInIndexOrder()) << "tag order";
    EXPECT_TRUE(focusOnSearch);
    EXPECT_EQ(q.answer().unit, "5");
    EXPECT_EQ(q.answer().coefficient, "1.0");
    EXPECT_TRUE(q.desktop.messages.empty());
}

TEST(CorrespondenceWindow, TabReachesEveryControlWithoutChangingTheChosenUnit) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    const std::vector<int> expected{W::kSearchId, W::kListId,    W::kKPrivId,
                                    W::kOkId,     W::kNextId,    W::kSkipSbornikId,
                                    W::kCancelId, W::kHelpId,    W::kMessageId,
                                    W::kNameId,   W::kSearchId};
    std::vector<int> focusOrder;
    std::vector<std::string> chosen;
    std::vector<std::function<void()>> steps;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        steps.push_back([&] {
            focusOrder.push_back(GetDlgCtrlID(GetFocus()));
            chosen.push_back(q.selectedName());
        });
        steps.push_back([&] { postKey(GetFocus(), VK_TAB); });
    }
    steps.back() = [&] { postKey(q.c(W::kSearchId), VK_RETURN); };
    const int result = q.run(steps);
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(focusOrder, expected);
    EXPECT_EQ(chosen, std::vector<std::string>(expected.size(), "м2"));
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(q.answer().unit, "5");
}

TEST(CorrespondenceWindow, CtrlAInABoxSelectsItsText) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    const int result = q.run({
        [&] {
            SetFocus(q.c(W::kKPrivId));
            SendMessageW(q.c(W::kKPrivId), EM_SETSEL, 3, 3);
            BYTE keys[256] = {};
            GetKeyboardState(keys);
            keys[VK_CONTROL] = 0x80;
            SetKeyboardState(keys);
            postKey(q.c(W::kKPrivId), 'A');
        },
        [&] {
            BYTE keys[256] = {};
            GetKeyboardState(keys);
            keys[VK_CONTROL] = 0;
            SetKeyboardState(keys);
            DWORD start = 0, end = 0;
            SendMessageW(q.c(W::kKPrivId), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                         reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(start, 0u);
            EXPECT_EQ(end, 3u);
            postChars(q.c(W::kKPrivId), L"3");
        },
        [&] { postKey(q.c(W::kKPrivId), VK_RETURN); },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(q.answer().coefficient, "3");
}

TEST(CorrespondenceWindow, PastedTextPassesTheCoefficientFilter) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    const int result = q.run({
        [&] {
            // The clipboard belongs to the dialog for the paste.
            ASSERT_TRUE(OpenClipboard(q.dialog->handle()));
            EmptyClipboard();
            const std::wstring pasted = L"x2,5 кг";
            HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
            std::copy(pasted.c_str(), pasted.c_str() + pasted.size() + 1,
                      static_cast<wchar_t*>(GlobalLock(data)));
            GlobalUnlock(data);
            SetClipboardData(CF_UNICODETEXT, data);
            CloseClipboard();
            SendMessageW(q.c(W::kKPrivId), EM_SETSEL, 0, -1);
            SendMessageW(q.c(W::kKPrivId), WM_PASTE, 0, 0);
            EXPECT_EQ(textUtf8(q.c(W::kKPrivId)), "2.5");
            postKey(q.c(W::kKPrivId), VK_RETURN);
        },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(q.answer().coefficient, "2.5");
}

TEST(CorrespondenceWindow, ArrowInTheListChoosesTheNextUnitAndEnterThereAccepts) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    const int result = q.run({
        [&] { postKey(q.c(W::kSearchId), VK_TAB); },
        [&] { postKey(q.c(W::kListId), VK_DOWN); },
        [&] {
            EXPECT_EQ(q.selectedName(), "м3");
            postKey(q.c(W::kListId), VK_RETURN);
        },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(q.answer().unit, "4");
}

TEST(CorrespondenceWindow, SearchMovesToTheNearestNameAsTheUserTypes) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    std::vector<std::string> chosen;
    const int result = q.run({
        [&] {
            SendMessageW(q.c(W::kSearchId), EM_SETSEL, 0, -1);
            postChars(q.c(W::kSearchId), L"к");
        },
        [&] {
            chosen.push_back(q.selectedName());
            postChars(q.c(W::kSearchId), L"ш");  // "кш": past "кг", before "м"
        },
        [&] {
            chosen.push_back(q.selectedName());
            SetWindowTextW(q.c(W::kSearchId), L"я");  // past the last name
        },
        [&] {
            chosen.push_back(q.selectedName());
            postKey(q.c(W::kSearchId), VK_RETURN);
        },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(chosen, (std::vector<std::string>{"кг", "м", "шт"}));
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(q.answer().unit, "1");
}

TEST(CorrespondenceWindow, CoefficientBoxTakesOnlyWhatMakesANumber) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    const int result = q.run({
        [&] {
            SetFocus(q.c(W::kKPrivId));
            SendMessageW(q.c(W::kKPrivId), EM_SETSEL, 0, -1);
            postChars(q.c(W::kKPrivId), L"1a2 ,5ж-");
        },
        [&] {
            EXPECT_EQ(textUtf8(q.c(W::kKPrivId)), "12.5-");
            SendMessageW(q.c(W::kKPrivId), EM_SETSEL, 0, -1);
            postChars(q.c(W::kKPrivId), L"12,5");
        },
        [&] { postKey(q.c(W::kKPrivId), VK_RETURN); },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(q.answer().coefficient, "12.5");
}

TEST(CorrespondenceWindow, CodeQuestionRefusesTheUnchangedCodeAndAcceptsATypedOne) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskCode);
    const int result = q.run({
        [&] {
            EXPECT_EQ(GetFocus(), q.c(W::kKodORNId));
            EXPECT_EQ(textUtf8(q.c(W::kKodORNId)), "С101-1-5-");
            EXPECT_TRUE(q.enabled(W::kKodORNId));
            for (const int id : {W::kKPrivId, W::kListId, W::kSearchId}) {
                EXPECT_FALSE(q.enabled(id)) << id;
            }
            EXPECT_EQ(ListView_GetBkColor(q.c(W::kListId)), GetSysColor(COLOR_BTNFACE));
            postKey(q.c(W::kKodORNId), VK_RETURN);
        },
        [&] {
            ASSERT_EQ(q.desktop.messages.size(), 1u);
            EXPECT_EQ(q.desktop.lastTextUtf8(), "Код норматива задан не верно!");
            EXPECT_TRUE(q.desktop.messages[0].topmost);
            EXPECT_EQ(text::cp1251ToUtf8(q.desktop.messages[0].caption), "Выбор соответствия");
            EXPECT_TRUE(IsWindowVisible(q.dialog->handle()));
            EXPECT_EQ(GetFocus(), q.c(W::kKodORNId));
            SendMessageW(q.c(W::kKodORNId), EM_SETSEL, 0, -1);
            postChars(q.c(W::kKodORNId), L"С101-0001-5");
        },
        [&] { postKey(q.c(W::kKodORNId), VK_RETURN); },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(q.answer().code, "С101-0001-5");
    EXPECT_EQ(q.desktop.messages.size(), 1u);
}

TEST(CorrespondenceWindow, EscapeSkipsWithoutAnyCheckEvenWithAnEmptyCode) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskCode);
    const int result = q.run({
        [&] { SetWindowTextW(q.c(W::kKodORNId), L""); },
        [&] { postKey(q.c(W::kKodORNId), VK_ESCAPE); },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalIgnore);
    EXPECT_FALSE(q.dialog->IsSkipSbornik());
    EXPECT_TRUE(q.desktop.messages.empty());
}

TEST(CorrespondenceWindow, CloseBoxAsksNoKeepsTheDialogThenSkipCollection) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    q.desktop.queueAnswer(Answer::No);
    const int result = q.run({
        [&] { PostMessageW(q.dialog->handle(), WM_CLOSE, 0, 0); },
        [&] {
            ASSERT_EQ(q.desktop.messages.size(), 1u);
            EXPECT_EQ(q.desktop.lastTextUtf8(), "Отменить конвертацию?");
            EXPECT_EQ(q.desktop.messages[0].kind, platform::MessageKind::YesNoCancel);
            EXPECT_TRUE(q.desktop.messages[0].topmost);
            EXPECT_TRUE(IsWindowVisible(q.dialog->handle()));
            SendMessageW(q.c(W::kSkipSbornikId), BM_CLICK, 0, 0);
        },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalIgnore);
    EXPECT_TRUE(q.dialog->IsSkipSbornik());
}

TEST(CorrespondenceWindow, CancelButtonYesEndsWithCancel) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    q.desktop.queueAnswer(Answer::Yes);
    const int result =
        q.run({[&] { SendMessageW(q.c(W::kCancelId), BM_CLICK, 0, 0); }});
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalCancel);
    EXPECT_EQ(q.desktop.lastTextUtf8(), "Отменить конвертацию?");
}

TEST(CorrespondenceWindow, HelpDoesNothingAndDoubleClickAccepts) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit);
    const int result = q.run({
        [&] { SendMessageW(q.c(W::kHelpId), BM_CLICK, 0, 0); },
        [&] {
            EXPECT_TRUE(IsWindowVisible(q.dialog->handle()));
            // What the list sends its parent on a double click.
            NMITEMACTIVATE click{};
            click.hdr.hwndFrom = q.c(W::kListId);
            click.hdr.idFrom = W::kListId;
            click.hdr.code = NM_DBLCLK;
            click.iItem = q.selectedRow();
            SendMessageW(q.dialog->handle(), WM_NOTIFY, W::kListId,
                         reinterpret_cast<LPARAM>(&click));
        },
    });
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalOk);
    EXPECT_EQ(q.answer().unit, "5");
}

TEST(CorrespondenceWindow, MissingUnitsTableAsksToCancelTheConversion) {
    KONVIKA_REQUIRE_WINDOWS();
    Question q(engine::kAskUnit, Question::Table::Missing);
    q.desktop.queueAnswer(Answer::Yes);
    const int result = q.run({});
    EXPECT_FALSE(q.ranOutOfSteps);
    EXPECT_EQ(result, engine::kModalCancel);
    ASSERT_GE(q.desktop.messages.size(), 2u);
    EXPECT_EQ(q.desktop.lastTextUtf8(), "Отменить конвертацию?");
    EXPECT_EQ(q.answer().unit, "") << "no unit from a table that is not open";
}
