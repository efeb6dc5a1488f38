#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QDialog>
#include <QTest>
#include <QWidget>

#include "dialog/Wmessage.h"
#include "tests/dialog/QtTestSupport.h"
#include "text/CodePages.h"

namespace {

// Counts close requests and refuses them, as the dialog's close query may.
class CountingDialog : public QDialog {
public:
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeRequests;
        event->ignore();
    }
};

}  // namespace

TEST(WMessage, Description) {
    EXPECT_EQ(text::cp1251ToUtf8(WMessage().FDescription),
              "WMessage: Класс для работы с системными сообщениями");
}

TEST(WMessage, CloseRequestReachesTheModalDialogAfterTheCallerFinishes) {
    QWidget main;
    main.show();
    CountingDialog dialog;
    dialog.setModal(true);
    dialog.show();
    WMessage().CloseActiveWindow();
    // Like a key press, the request waits for the message loop.
    EXPECT_EQ(dialog.closeRequests, 0);
    EXPECT_TRUE(testing_support::waitFor([&] { return dialog.closeRequests == 1; }));
    EXPECT_TRUE(dialog.isVisible()) << "the dialog decides itself whether it closes";
    EXPECT_TRUE(main.isVisible());
}

TEST(WMessage, WithoutModalDialogTheActiveWindowIsAsked) {
    CountingDialog window;  // shown without modality: a plain window
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    WMessage().CloseActiveWindow();
    EXPECT_TRUE(testing_support::waitFor([&] { return window.closeRequests == 1; }));
}

TEST(WMessage, RequestForAWindowDestroyedMeanwhileIsDropped) {
    CountingDialog other;
    other.show();
    auto* dialog = new CountingDialog;
    dialog->setModal(true);
    dialog->show();
    WMessage().CloseActiveWindow();
    delete dialog;
    // The queued request dies with its window; it does not move on to another one.
    testing_support::waitFor([] { return false; }, 50);
    EXPECT_EQ(other.closeRequests, 0);
}
