#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>

#include "app/ApplicationTitle.h"
#include "app/QtDesktop.h"
#include "tests/dialog/QtTestSupport.h"
#include "text/CodePages.h"

using platform::Answer;
using platform::MessageKind;
using testing_support::BoxAnswerer;

namespace {

struct Shown {
    Answer answer;
    testing_support::SeenBox box;
};

Shown show(MessageKind kind, QMessageBox::StandardButton press, bool topmost = false) {
    app::QtDesktop desktop;
    BoxAnswerer answerer(press);
    const Answer answer =
        desktop.showMessage({"Заголовок"_w, "Текст сообщения"_w, kind, topmost});
    return {answer, answerer.box()};
}

}  // namespace

TEST(QtDesktop, ErrorBoxHasTheExclamationIconAndOk) {
    const Shown shown = show(MessageKind::Error, QMessageBox::Ok);
    ASSERT_TRUE(shown.box.seen);
    EXPECT_EQ(shown.answer, Answer::Ok);
    EXPECT_EQ(shown.box.icon, QMessageBox::Warning);
    EXPECT_EQ(shown.box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(shown.box.title, QStringLiteral("Заголовок"));
    EXPECT_EQ(shown.box.text, QStringLiteral("Текст сообщения"));
    EXPECT_TRUE(shown.box.modal);
    EXPECT_FALSE(shown.box.topmost);
}

TEST(QtDesktop, QuestionsHaveTheQuestionIconAndTheirButtons) {
    struct Case {
        MessageKind kind;
        QMessageBox::StandardButton press;
        Answer answer;
        QMessageBox::StandardButtons buttons;
    } cases[] = {
        {MessageKind::YesNo, QMessageBox::Yes, Answer::Yes, QMessageBox::Yes | QMessageBox::No},
        {MessageKind::YesNo, QMessageBox::No, Answer::No, QMessageBox::Yes | QMessageBox::No},
        {MessageKind::YesNoCancel, QMessageBox::Yes, Answer::Yes,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {MessageKind::YesNoCancel, QMessageBox::No, Answer::No,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {MessageKind::YesNoCancel, QMessageBox::Cancel, Answer::Cancel,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
    };
    for (const Case& c : cases) {
        const Shown shown = show(c.kind, c.press);
        ASSERT_TRUE(shown.box.seen);
        EXPECT_EQ(shown.answer, c.answer);
        EXPECT_EQ(shown.box.icon, QMessageBox::Question);
        EXPECT_EQ(shown.box.buttons, c.buttons);
        EXPECT_TRUE(shown.box.modal);
    }
}

TEST(QtDesktop, TopmostBoxesStayOnTop) {
    const Shown shown = show(MessageKind::YesNoCancel, QMessageBox::No, true);
    ASSERT_TRUE(shown.box.seen);
    EXPECT_TRUE(shown.box.topmost);
}

TEST(QtDesktop, StopBoxOfTheExceptionReport) {
    BoxAnswerer answerer(QMessageBox::Ok);
    app::ShowStopMessage("konvika", "Ошибка."_w);
    ASSERT_TRUE(answerer.box().seen);
    EXPECT_EQ(answerer.box().icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.box().title, QStringLiteral("konvika"));
    EXPECT_EQ(answerer.box().text, QStringLiteral("Ошибка."));
    EXPECT_TRUE(answerer.box().modal);
}

TEST(QtDesktop, BusyCursorIsOneStateNotAStack) {
    app::QtDesktop desktop;
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    desktop.setCursor(platform::CursorShape::Busy);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    desktop.setCursor(platform::CursorShape::Busy);
    desktop.setCursor(platform::CursorShape::Arrow);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    desktop.setCursor(platform::CursorShape::Arrow);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtDesktop, ExceptionReportOfAWindowsHandlerIsTheStopBoxWithTheApplicationsTitle) {
    // The correspondence dialog reports an engine error in its handlers through the desktop.
    app::SetApplicationTitle("Цены Гарвена в ОРН"_w);
    app::QtDesktop desktop;
    BoxAnswerer answerer(QMessageBox::Ok);
    platform::Desktop& service = desktop;
    service.reportException("Таблица повреждена"_w);
    ASSERT_TRUE(answerer.box().seen);
    EXPECT_EQ(answerer.box().icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.box().title, QStringLiteral("Цены Гарвена в ОРН"));
    EXPECT_EQ(answerer.box().text, QStringLiteral("Таблица повреждена."));
}
