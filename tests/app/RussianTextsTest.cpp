// Qt's own texts in the program's windows are Russian: the buttons of the message boxes and the
// context menus of the edit boxes, with Qt's translations and with our own texts alone.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStringList>

#include <memory>

#include "app/QtDesktop.h"
#include "app/RussianTexts.h"
#include "tests/dialog/QtTestSupport.h"
#include "text/CodePages.h"

using platform::MessageKind;
using testing_support::BoxAnswerer;

namespace {

QStringList withoutMnemonics(QStringList texts) {
    for (QString& text : texts) text.remove(QLatin1Char('&'));
    texts.sort();
    return texts;
}

QStringList buttonsOf(MessageKind kind, QMessageBox::StandardButton press) {
    app::QtDesktop desktop;
    BoxAnswerer answerer(press);
    desktop.showMessage({"Выбор соответствия"_w, "Отменить конвертацию?"_w, kind, true});
    EXPECT_TRUE(answerer.box().seen);
    return withoutMnemonics(answerer.box().buttonTexts);
}

// Every entry of an edit box's context menu is in Cyrillic letters.
void expectRussianMenu(QMenu* menu) {
    ASSERT_NE(menu, nullptr);
    const QRegularExpression cyrillic(QStringLiteral("[А-Яа-яЁё]"));
    int entries = 0;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        ++entries;
        EXPECT_TRUE(action->text().contains(cyrillic)) << action->text().toStdString();
    }
    EXPECT_GE(entries, 2);
}

void expectRussianEverywhere() {
    EXPECT_EQ(buttonsOf(MessageKind::YesNoCancel, QMessageBox::No),
              withoutMnemonics({QStringLiteral("Да"), QStringLiteral("Нет"),
                                QStringLiteral("Отмена")}));
    EXPECT_EQ(buttonsOf(MessageKind::YesNo, QMessageBox::No),
              withoutMnemonics({QStringLiteral("Да"), QStringLiteral("Нет")}));
    const QStringList ok = buttonsOf(MessageKind::Error, QMessageBox::Ok);
    ASSERT_EQ(ok.size(), 1);
    EXPECT_TRUE(ok[0] == QStringLiteral("ОК") || ok[0] == QStringLiteral("OK") ||
                ok[0] == QStringLiteral("Ок"))
        << ok[0].toStdString();
    QLineEdit edit(QStringLiteral("1.0"));
    std::unique_ptr<QMenu> editMenu(edit.createStandardContextMenu());
    expectRussianMenu(editMenu.get());
    QPlainTextEdit memo(QStringLiteral("Кладка стен"));
    memo.setReadOnly(true);
    std::unique_ptr<QMenu> memoMenu(memo.createStandardContextMenu());
    expectRussianMenu(memoMenu.get());
}

}  // namespace

TEST(RussianTexts, WithQtsOwnTranslations) {
    const app::RussianTexts texts;
    // The install commands put Qt's translations on the machine.
    EXPECT_TRUE(texts.QtTranslationsLoaded());
    expectRussianEverywhere();
}

TEST(RussianTexts, WithOurTextsAlone) {
    const app::RussianTexts texts(false);
    EXPECT_FALSE(texts.QtTranslationsLoaded());
    expectRussianEverywhere();
    // Ours say exactly what the suite's desktops say.
    EXPECT_EQ(buttonsOf(MessageKind::Error, QMessageBox::Ok), QStringList{QStringLiteral("ОК")});
}

TEST(RussianTexts, GoneWithTheObject) {
    {
        const app::RussianTexts texts;
    }
    EXPECT_EQ(buttonsOf(MessageKind::YesNo, QMessageBox::No),
              (QStringList{QStringLiteral("No"), QStringLiteral("Yes")}));
}
