#pragma once
// One correspondence question in the Qt form, asked the way the converter asks it, and typing
// into its boxes as a person would: shared by the form's tests.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QModelIndex>
#include <QString>
#include <QTableView>
#include <QTest>

#include <memory>
#include <string>

#include "dialog/Selectperehod.h"
#include "dialog/UnitsTableModel.h"
#include "tests/dialog/UnitsTableFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

namespace testing_support {

inline QString q(const char* utf8) { return QString::fromUtf8(utf8); }

// One question, asked the way the converter asks it, with the units table in the first units
// folder (or missing, or empty).
struct Question {
    enum class Table { Sample, Empty, Missing };

    TempFolder first;
    TempFolder second;
    RecordingDesktop desktop;
    std::unique_ptr<TSelectPerehodForm> form;

    explicit Question(int mode, Table table = Table::Sample, const std::string& baseCode = "4ABC") {
        // The base MG419 has a units table of its own.
        const std::string name = baseCode == "MG419" ? "Ei2.dbf" : "Ei1.dbf";
        if (table == Table::Sample) {
            testing_support::writeUnitsTable(first.file(name), testing_support::sampleUnits());
        } else if (table == Table::Empty) {
            testing_support::writeUnitsTable(first.file(name), {});
        }
        form = std::make_unique<TSelectPerehodForm>();
        form->SetQuestion(baseCode, "Не найдено соответствие единицы измерения"_w,
                          "  С101-1-5-  "_w, " м2 "_w, "Кладка стен из кирпича"_w, second.path(),
                          first.path());
        form->SetMode(mode);
    }
    // Shows the dialog; its first activation fills it.
    void start() {
        form->show();
        form->FormActivate();
    }
    bool closed() const { return !form->isVisible(); }
    std::string answerCode() const { return answer().code; }
    std::string answerUnit() const { return answer().unit; }
    std::string answerCoefficient() const { return answer().coefficient; }
    struct Answered {
        std::string code, unit, coefficient;
    };
    Answered answer() const {
        Answered a;
        form->GetAnswer(a.code, a.unit, a.coefficient);
        return a;
    }
    std::string currentUnitName() const {
        const UnitsTableModel* model = form->UnitsModel();
        const QModelIndex current = form->dbgMain->currentIndex();
        if (model == nullptr || !current.isValid()) return std::string();
        EXPECT_EQ(current.row(), form->Question().CurrentRow())
            << "the highlighted row is the record";
        return model->data(current).toString().toStdString();
    }
};

// Types text key by key as a person would; Cyrillic letters too (QTest::keyClicks takes only
// ASCII).
inline void typeText(QWidget* widget, const QString& typed) {
    for (const QChar c : typed) {
        const auto key = static_cast<Qt::Key>(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

inline void retype(QLineEdit* edit, const char* utf8) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    typeText(edit, q(utf8));
}

}  // namespace testing_support
