#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/ApplicationTitle.h"
#include "tests/app/ScriptedConverter.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/win32/WindowTestSupport.h"
#include "text/CodePages.h"
#include "win32/MessageLoop.h"
#include "win32/ProgressWindow.h"

using platform::Answer;
using testing_support::ConverterRecord;
using testing_support::Place;
using testing_support::RecordingDesktop;
using testing_support::ScriptedConverter;
using win32::ProgressWindow;

namespace {

const std::string kTitle = "Цены Гарвена в ОРН (Версия 1.0 от 20-10-2005)";

struct Window {
    std::shared_ptr<ConverterRecord> record = std::make_shared<ConverterRecord>();
    ScriptedConverter* converter = nullptr;
    std::unique_ptr<ProgressWindow> window;

    explicit Window(int tables = 3, const std::string& commandLine = "MG419?src?out?u2?u1?") {
        auto owned = std::make_unique<ScriptedConverter>(record, tables);
        converter = owned.get();
        window = std::make_unique<ProgressWindow>(std::move(owned));
        window->SetCommandLine(commandLine);
    }
    HWND control(int id) const { return GetDlgItem(window->handle(), id); }
    // Shows the window; the conversion starts once the loop turns, and the loop ends with it.
    void runUntilEnd() {
        window->Show();
        win32::runMessageLoop();
    }
};

}  // namespace

TEST(ProgressWindow, LayoutAsTheWindowIsDrawn) {
    KONVIKA_REQUIRE_WINDOWS();
    Window w;
    const HWND window = w.window->handle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(testing_support::textUtf8(window), kTitle);
    EXPECT_EQ(testing_support::clientSize(window), (Place{0, 0, 414, 100}));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0u);
    EXPECT_NE(exStyle & WS_EX_TOPMOST, 0u);
    EXPECT_NE(style & WS_SYSMENU, 0u) << "the close box";
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u)
        << "not resizable, close button only";

    const HWND label = w.control(ProgressWindow::kLabelId);
    EXPECT_EQ(testing_support::textUtf8(label), "Идет конвертация файла. Ждите...");
    EXPECT_EQ(testing_support::placeInParent(label), (Place{16, 8, 364, 25}));
    EXPECT_EQ(testing_support::fontOf(label).lfHeight, -21);
    EXPECT_EQ(testing_support::fontOf(label).lfWeight, FW_BOLD);

    const HWND bar = w.control(ProgressWindow::kProgressId);
    EXPECT_EQ(testing_support::placeInParent(bar), (Place{8, 35, 396, 18}));
    EXPECT_EQ(testing_support::clientSize(bar), (Place{0, 0, 394, 16}))
        << "the sunken 1-pixel panel around the bar";
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);

    const HWND cancel = w.control(IDCANCEL);
    ASSERT_NE(cancel, nullptr) << "the cancel button answers Esc through the dialog manager";
    EXPECT_EQ(testing_support::textUtf8(cancel), "Отменить");
    EXPECT_EQ(testing_support::placeInParent(cancel), (Place{135, 64, 145, 28}));
    EXPECT_EQ(testing_support::fontOf(cancel).lfHeight, -13);
    EXPECT_EQ(text::cp1251ToUtf8(app::ApplicationTitle()), kTitle);
}

TEST(ProgressWindow, ConversionRunsOnceAfterShowingAndTheWindowEnds) {
    KONVIKA_REQUIRE_WINDOWS();
    RecordingDesktop desktop;
    Window w;
    std::vector<int> barPositions;
    bool visibleWhileConverting = false;
    w.converter->beforeTable = [&](int) {
        barPositions.push_back(static_cast<int>(
            SendMessageW(w.control(ProgressWindow::kProgressId), PBM_GETPOS, 0, 0)));
        visibleWhileConverting = IsWindowVisible(w.window->handle()) != FALSE;
    };
    w.runUntilEnd();
    EXPECT_EQ(w.record->convertCalls, 1);
    EXPECT_EQ(w.record->params,
              (std::vector<std::string>{"MG419", "src", "out", "u2", "u1"}));
    EXPECT_TRUE(w.record->logging);
    EXPECT_TRUE(w.record->hadBar);
    EXPECT_TRUE(w.record->hadWindow);
    EXPECT_EQ(barPositions, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(visibleWhileConverting);
    EXPECT_TRUE(w.window->Ended());
    EXPECT_EQ(w.window->handle(), nullptr) << "the window has closed itself";
    EXPECT_TRUE(desktop.messages.empty()) << "no question when the conversion has returned";
}

TEST(ProgressWindow, WrongParameterCountEndsSilently) {
    KONVIKA_REQUIRE_WINDOWS();
    RecordingDesktop desktop;
    Window w(3, "MG419?src?out?u2?");
    w.runUntilEnd();
    EXPECT_EQ(w.record->convertCalls, 0);
    EXPECT_TRUE(w.window->Ended());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(ProgressWindow, CancelButtonAsksAndYesStopsAtTheNextTable) {
    KONVIKA_REQUIRE_WINDOWS();
    RecordingDesktop desktop;
    desktop.queueAnswer(Answer::Yes);
    Window w(5);
    w.converter->beforeTable = [&](int table) {
        if (table == 0) SendMessageW(w.control(IDCANCEL), BM_CLICK, 0, 0);
    };
    w.runUntilEnd();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.lastTextUtf8(), "Прервать операцию?");
    EXPECT_EQ(text::cp1251ToUtf8(desktop.messages[0].caption), kTitle);
    EXPECT_EQ(desktop.messages[0].kind, platform::MessageKind::YesNo);
    EXPECT_EQ(w.record->cancelCalls, 1);
    EXPECT_EQ(w.record->tablesProcessed, 1);
    EXPECT_TRUE(w.window->Ended());
}

TEST(ProgressWindow, EscapeAsksTheSameQuestionAndNoGoesOn) {
    KONVIKA_REQUIRE_WINDOWS();
    RecordingDesktop desktop;
    desktop.queueAnswer(Answer::No);
    Window w(4);
    // The key goes through the message loop, which the converter turns before each table.
    w.converter->beforeTable = [&](int table) {
        if (table == 0) testing_support::postKey(w.control(IDCANCEL), VK_ESCAPE);
    };
    w.runUntilEnd();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.lastTextUtf8(), "Прервать операцию?");
    EXPECT_EQ(w.record->cancelCalls, 0);
    EXPECT_EQ(w.record->tablesProcessed, 4);
}

TEST(ProgressWindow, CloseBoxYesHidesTheWindowAndEndsWhenConvertReturns) {
    KONVIKA_REQUIRE_WINDOWS();
    RecordingDesktop desktop;
    desktop.queueAnswer(Answer::Yes);
    Window w(5);
    bool visibleAfterClose = true;
    w.converter->beforeTable = [&](int table) {
        if (table == 0) PostMessageW(w.window->handle(), WM_CLOSE, 0, 0);
        if (table == 1) visibleAfterClose = IsWindowVisible(w.window->handle()) != FALSE;
    };
    w.runUntilEnd();
    EXPECT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(w.record->cancelCalls, 1);
    EXPECT_FALSE(visibleAfterClose);
    EXPECT_EQ(w.record->tablesProcessed, 2) << "the table being read when the close came";
    EXPECT_TRUE(w.record->returned);
    EXPECT_TRUE(w.window->Ended());
}

TEST(ProgressWindow, CloseBoxNoKeepsTheWindowAndTheConversion) {
    KONVIKA_REQUIRE_WINDOWS();
    RecordingDesktop desktop;
    desktop.queueAnswer(Answer::No);
    Window w(3);
    bool visibleAfterNo = false;
    w.converter->beforeTable = [&](int table) {
        if (table == 0) PostMessageW(w.window->handle(), WM_CLOSE, 0, 0);
        if (table == 1) visibleAfterNo = IsWindowVisible(w.window->handle()) != FALSE;
    };
    w.runUntilEnd();
    EXPECT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(visibleAfterNo);
    EXPECT_EQ(w.record->tablesProcessed, 3);
}

TEST(ProgressWindow, BarStaysFullBeyondItsRange) {
    KONVIKA_REQUIRE_WINDOWS();
    // The converter sets the bar to the index of the table about to be read.
    Window w(120);
    int position = -1;
    w.converter->beforeTable = [&](int table) {
        if (table == 110) {
            position = static_cast<int>(
                SendMessageW(w.control(ProgressWindow::kProgressId), PBM_GETPOS, 0, 0));
        }
    };
    w.runUntilEnd();
    EXPECT_EQ(position, 100);
}
