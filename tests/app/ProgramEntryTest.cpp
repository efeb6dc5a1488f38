#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>

#include <memory>
#include <string>
#include <unistd.h>

#include "app/ApplicationTitle.h"
#include "app/ProgramEntry.h"
#include "platform/InstanceGuard.h"
#include "platform/ProgramError.h"
#include "tests/app/ScriptedConverter.h"
#include "tests/dialog/QtTestSupport.h"
#include "tests/support/RecordingDesktop.h"
#include "text/CodePages.h"

using testing_support::BoxAnswerer;
using testing_support::ConverterRecord;
using testing_support::RecordingDesktop;
using testing_support::ScriptedConverter;

namespace {

std::string guardName() { return "KonvikaEntryTest-" + std::to_string(::getpid()); }

std::string programBaseName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

}  // namespace

TEST(ProgramEntry, SecondCopyShowsItsMessageAndExitsWithOne) {
    RecordingDesktop desktop;
    platform::InstanceGuard first(guardName());
    platform::InstanceGuard second(guardName());
    ASSERT_TRUE(second.alreadyRunning());
    bool converterMade = false;
    const int status = app::RunProgram(second, "a?b?c?d?e?", [&] {
        converterMade = true;
        return std::unique_ptr<app::Converter>();
    });
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(converterMade);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(text::cp1251ToUtf8(desktop.messages[0].text),
              "Программа перевода цен из формата Гарвена в ОРН уже запущена!");
    EXPECT_EQ(desktop.messages[0].kind, platform::MessageKind::Error);
    // No window exists yet: the caption is the program file's base name.
    EXPECT_EQ(desktop.messages[0].caption, programBaseName());
}

TEST(ProgramEntry, FiveParametersConvertAndExitWithZero) {
    RecordingDesktop desktop;
    platform::InstanceGuard guard(guardName());
    ASSERT_EQ(guard.state(), platform::InstanceGuard::State::Acquired);
    auto record = std::make_shared<ConverterRecord>();
    const int status = app::RunProgram(guard, "MG419?src?out?u2?u1?", [&] {
        return std::make_unique<ScriptedConverter>(record, 2);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(record->convertCalls, 1);
    EXPECT_TRUE(record->returned);
    EXPECT_TRUE(record->destroyed) << "the window and its converter are gone at the end";
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(ProgramEntry, FourParametersExitSilentlyWithZero) {
    RecordingDesktop desktop;
    platform::InstanceGuard guard(guardName());
    auto record = std::make_shared<ConverterRecord>();
    const int status = app::RunProgram(guard, "MG419?src?out?u2?u1", [&] {
        return std::make_unique<ScriptedConverter>(record, 2);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(record->convertCalls, 0);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(ProgramEntry, ReaderLibraryLoadErrorIsReportedAndTheWindowNeverAppears) {
    RecordingDesktop desktop;
    platform::InstanceGuard guard(guardName());
    BoxAnswerer answerer(QMessageBox::Ok);
    const int status = app::RunProgram(guard, "MG419?src?out?u2?u1?", []() -> std::unique_ptr<app::Converter> {
        throw platform::ProgramError("TSPDLL: Не удалось загрузить библиотеку код 2"_w);
    });
    EXPECT_EQ(status, 0);
    ASSERT_TRUE(answerer.box().seen);
    EXPECT_EQ(answerer.box().icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.box().title.toStdString(), programBaseName());
    EXPECT_EQ(answerer.box().text,
              QStringLiteral("TSPDLL: Не удалось загрузить библиотеку код 2."));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(widget->isVisible()) << widget->metaObject()->className();
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(ProgramEntry, ClosingADialogDuringTheConversionDoesNotEndTheProgram) {
    RecordingDesktop desktop;
    platform::InstanceGuard guard(guardName());
    auto record = std::make_shared<ConverterRecord>();
    const int status = app::RunProgram(guard, "MG419?src?out?u2?u1?", [&] {
        auto converter = std::make_unique<ScriptedConverter>(record, 3);
        converter->beforeTable = [](int table) {
            if (table != 0) return;
            // A question answered: the only ordinary window closes while the tool window stays.
            QDialog question;
            question.show();
            question.accept();
            QCoreApplication::processEvents();
        };
        return converter;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(record->tablesProcessed, 3);
    EXPECT_EQ(record->cancelCalls, 0);
    EXPECT_TRUE(desktop.messages.empty()) << "no window was asked to close";
}
