#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>

#include "app/ApplicationTitle.h"
#include "app/Main.h"
#include "tests/app/ScriptedConverter.h"
#include "tests/dialog/QtTestSupport.h"
#include "tests/support/RecordingDesktop.h"
#include "text/CodePages.h"

using platform::Answer;
using testing_support::BoxAnswerer;
using testing_support::ConverterRecord;
using testing_support::RecordingDesktop;
using testing_support::ScriptedConverter;
using testing_support::waitFor;

namespace {

const QString kTitle = QStringLiteral("Цены Гарвена в ОРН (Версия 1.0 от 20-10-2005)");

struct Window {
    std::shared_ptr<ConverterRecord> record = std::make_shared<ConverterRecord>();
    ScriptedConverter* converter = nullptr;
    std::unique_ptr<TMainForm> form;
    bool ended = false;

    explicit Window(int tables = 3, const std::string& commandLine = "MG419?src?out?u2?u1?") {
        auto owned = std::make_unique<ScriptedConverter>(record, tables);
        converter = owned.get();
        form = std::make_unique<TMainForm>(std::move(owned));
        QObject::connect(form.get(), &TMainForm::programEnds, [this] { ended = true; });
        form->SetCommandLine(commandLine);
    }
    // Shows the window; its activation starts the conversion.
    bool runUntilEnd() {
        form->show();
        return waitFor([this] { return ended; });
    }
};

std::string utf8(const std::string& cp1251) { return text::cp1251ToUtf8(cp1251); }

}  // namespace

TEST(MainForm, LayoutAsTheWindowIsDrawn) {
    Window w;
    TMainForm& f = *w.form;
    EXPECT_EQ(f.windowTitle(), kTitle);
    EXPECT_EQ(f.size(), QSize(414, 100));
    EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "not resizable";
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(f.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(f.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(f.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(0, 128, 128));
    EXPECT_TRUE(f.autoFillBackground());
    EXPECT_EQ(f.font().pixelSize(), 11);

    EXPECT_EQ(f.Label1->text(), QStringLiteral("Идет конвертация файла. Ждите..."));
    EXPECT_EQ(f.Label1->geometry(), QRect(16, 8, 364, 25));
    EXPECT_TRUE(f.Label1->font().bold());
    EXPECT_EQ(f.Label1->font().pixelSize(), 21);
    EXPECT_EQ(f.Label1->palette().color(QPalette::WindowText), QColor(Qt::white));

    EXPECT_EQ(f.ProgressPanel1->geometry(), QRect(8, 35, 396, 18));
    EXPECT_EQ(f.ProgressPanel1->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(f.ProgressPanel1->font().pixelSize(), 13);
    EXPECT_EQ(f.ProgressBar1->parentWidget(), f.ProgressPanel1);
    EXPECT_EQ(f.ProgressBar1->geometry(), QRect(1, 1, 394, 16));
    EXPECT_EQ(f.ProgressBar1->minimum(), 0);
    EXPECT_EQ(f.ProgressBar1->maximum(), 100);
    EXPECT_EQ(f.ProgressBar1->value(), 0);

    EXPECT_EQ(f.btbCancel->text(), QStringLiteral("Отменить"));
    EXPECT_EQ(f.btbCancel->geometry(), QRect(135, 64, 145, 28));
    EXPECT_FALSE(f.btbCancel->icon().isNull()) << "the standard cancel glyph";
    EXPECT_EQ(f.btbCancel->font().pixelSize(), 13);
}

TEST(MainForm, ConstructionSetsTheApplicationTitleAndHint) {
    app::SetApplicationTitle("konvika");
    Window w;
    EXPECT_EQ(utf8(app::ApplicationTitle()), kTitle.toStdString());
    EXPECT_EQ(utf8(app::ApplicationHint()), kTitle.toStdString());
}

TEST(MainForm, FirstActivationConvertsThenTheWindowClosesWithoutAQuestion) {
    RecordingDesktop desktop;
    Window w(3, "MG419?/p/price.gv?/o/cena.dbf?/u2?/u1?");
    ASSERT_TRUE(w.runUntilEnd());
    EXPECT_EQ(w.record->convertCalls, 1);
    EXPECT_EQ(w.record->params, (std::vector<std::string>{"MG419", "/p/price.gv",
                                                          "/o/cena.dbf", "/u2", "/u1"}));
    EXPECT_TRUE(w.record->logging);
    EXPECT_TRUE(w.record->hadBar);
    EXPECT_TRUE(w.record->hadWindow);
    EXPECT_EQ(w.record->positions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(w.form->ProgressBar1->value(), 2);
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(MainForm, LaterActivationsStartNothing) {
    RecordingDesktop desktop;
    Window w;
    ASSERT_TRUE(w.runUntilEnd());
    w.form->show();
    w.form->activateWindow();
    w.form->FormActivate();
    waitFor([] { return false; }, 100);
    EXPECT_EQ(w.record->convertCalls, 1);
}

TEST(MainForm, WrongParameterCountEndsSilently) {
    for (const std::string line : {"a?b?c?d?", "a?b?c?d?e", "", "a?b?c?d?e?f?"}) {
        SCOPED_TRACE(line);
        RecordingDesktop desktop;
        Window w(3, line);
        ASSERT_TRUE(w.runUntilEnd());
        EXPECT_EQ(w.record->convertCalls, 0);
        EXPECT_TRUE(desktop.messages.empty());
        EXPECT_FALSE(w.form->isVisible());
    }
}

TEST(MainForm, EscapeAsksAndNoLetsTheConversionGoOn) {
    RecordingDesktop desktop;
    Window w(3);
    w.converter->beforeTable = [&](int table) {
        if (table != 0) return;
        desktop.queueAnswer(Answer::No);
        QTest::keyClick(w.form.get(), Qt::Key_Escape);
    };
    ASSERT_TRUE(w.runUntilEnd());
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(utf8(desktop.messages[0].text), "Прервать операцию?");
    EXPECT_EQ(desktop.messages[0].kind, platform::MessageKind::YesNo);
    EXPECT_EQ(utf8(desktop.messages[0].caption), kTitle.toStdString());
    EXPECT_EQ(w.record->cancelCalls, 0);
    EXPECT_EQ(w.record->tablesProcessed, 3);
}

TEST(MainForm, CancelButtonYesStopsTheConversionAndTheWindowCloses) {
    RecordingDesktop desktop;
    Window w(3);
    w.converter->beforeTable = [&](int table) {
        if (table != 0) return;
        desktop.queueAnswer(Answer::Yes);
        QTest::mouseClick(w.form->btbCancel, Qt::LeftButton);
        EXPECT_TRUE(w.form->isVisible()) << "the window stays until Convert returns";
    };
    ASSERT_TRUE(w.runUntilEnd());
    EXPECT_EQ(w.record->cancelCalls, 1);
    EXPECT_EQ(w.record->tablesProcessed, 1);
    EXPECT_EQ(desktop.messages.size(), 1u) << "closing at the end asks nothing more";
}

TEST(MainForm, CloseBoxNoKeepsWindowAndConversion) {
    RecordingDesktop desktop;
    Window w(3);
    w.converter->beforeTable = [&](int table) {
        if (table != 1) return;
        desktop.queueAnswer(Answer::No);
        EXPECT_FALSE(w.form->close());
        EXPECT_TRUE(w.form->isVisible());
    };
    ASSERT_TRUE(w.runUntilEnd());
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(utf8(desktop.messages[0].text), "Прервать операцию?");
    EXPECT_EQ(w.record->cancelCalls, 0);
    EXPECT_EQ(w.record->tablesProcessed, 3);
}

TEST(MainForm, CloseBoxYesHidesAtOnceAndEndsWhenConvertReturns) {
    RecordingDesktop desktop;
    Window w(3);
    w.converter->beforeTable = [&](int table) {
        if (table != 0) return;
        desktop.queueAnswer(Answer::Yes);
        w.form->close();
        EXPECT_FALSE(w.form->isVisible());
        EXPECT_FALSE(w.ended) << "the program ends only after Convert has returned";
        EXPECT_FALSE(w.record->destroyed);
    };
    ASSERT_TRUE(w.runUntilEnd());
    EXPECT_TRUE(w.record->returned);
    EXPECT_EQ(w.record->cancelCalls, 1);
    EXPECT_EQ(w.record->tablesProcessed, 1);
    EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST(MainForm, ExceptionFromConvertIsReportedAndTheWindowStaysOpen) {
    RecordingDesktop desktop;
    app::SetApplicationTitle("before");
    Window w(3);
    w.converter->throwMessage = "Table broken: 7";
    BoxAnswerer answerer(QMessageBox::Ok);
    w.form->show();
    ASSERT_TRUE(waitFor([&] { return answerer.box().seen; }));
    EXPECT_EQ(answerer.box().icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.box().title, kTitle);
    EXPECT_EQ(answerer.box().text, QStringLiteral("Table broken: 7."));
    waitFor([] { return false; }, 50);
    EXPECT_TRUE(w.form->isVisible());
    EXPECT_FALSE(w.ended);
    // Closing now asks the cancel question; Yes ends the program.
    desktop.queueAnswer(Answer::Yes);
    w.form->close();
    EXPECT_TRUE(waitFor([&] { return w.ended; }));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(utf8(desktop.messages[0].text), "Прервать операцию?");
}

TEST(MainForm, ExceptionOfAnotherKindIsReportedWithAnEmptyMessage) {
    RecordingDesktop desktop;
    Window w(3);
    w.converter->throwOther = true;
    BoxAnswerer answerer(QMessageBox::Ok);
    w.form->show();
    ASSERT_TRUE(waitFor([&] { return answerer.box().seen; }));
    EXPECT_EQ(answerer.box().text, QString());
    EXPECT_TRUE(w.form->isVisible());
}

TEST(MainForm, ExceptionAfterAnAcceptedCloseStillEndsTheProgram) {
    RecordingDesktop desktop;
    Window w(3);
    w.converter->throwMessage = "late";
    w.converter->beforeTable = [&](int table) {
        if (table != 1) return;
        desktop.queueAnswer(Answer::Yes);
        w.form->close();
    };
    BoxAnswerer answerer(QMessageBox::Ok);
    ASSERT_TRUE(w.runUntilEnd()) << "a hidden window must not keep the program alive";
    EXPECT_TRUE(answerer.box().seen);
}

TEST(MainForm, BarStaysFullBeyondItsRange) {
    RecordingDesktop desktop;
    Window w(105);
    ASSERT_TRUE(w.runUntilEnd());
    EXPECT_EQ(w.record->positions.back(), 104);
    EXPECT_EQ(w.form->ProgressBar1->value(), 100);
}

namespace {

// Plays a desktop that never activates new windows.
class SwallowActivation : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::WindowActivate;
    }
};

}  // namespace

TEST(MainForm, WindowThatIsNeverActivatedStartsAsSoonAsTheEventLoopRuns) {
    RecordingDesktop desktop;
    Window w;
    SwallowActivation desktopRefusesFocus;
    w.form->installEventFilter(&desktopRefusesFocus);
    w.form->show();
    EXPECT_EQ(w.record->convertCalls, 0) << "the conversion waits for the event loop";
    // One turn of the event loop is enough: no fallback delay without a window manager.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    EXPECT_EQ(w.record->convertCalls, 1);
    ASSERT_TRUE(waitFor([&] { return w.ended; }, 5000));
    EXPECT_EQ(w.record->convertCalls, 1);
}

TEST(MainForm, ActivatedWindowDoesNotStartASecondTime) {
    RecordingDesktop desktop;
    Window w;
    ASSERT_TRUE(w.runUntilEnd());
    // Activation and the start after showing both queue a start; only one runs.
    w.form->show();
    w.form->activateWindow();
    waitFor([] { return false; }, 300);
    EXPECT_EQ(w.record->convertCalls, 1);
}
