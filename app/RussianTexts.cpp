#include "app/RussianTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

#include <cstring>

namespace app {
namespace {

struct OwnText {
    const char* context;
    const char* source;
    const char* russian;
};

// The strings of Qt's standard buttons and edit-box menus that the program's windows show.
constexpr OwnText kOwnTexts[] = {
    {"QPlatformTheme", "OK", "ОК"},
    {"QPlatformTheme", "&Yes", "&Да"},
    {"QPlatformTheme", "&No", "&Нет"},
    {"QPlatformTheme", "Cancel", "Отмена"},
    {"QPlatformTheme", "Close", "Закрыть"},
    {"QPlatformTheme", "Help", "Справка"},
    {"QLineEdit", "&Undo", "&Отменить действие"},
    {"QLineEdit", "&Redo", "&Повторить действие"},
    {"QLineEdit", "Cu&t", "&Вырезать"},
    {"QLineEdit", "&Copy", "&Копировать"},
    {"QLineEdit", "&Paste", "Вст&авить"},
    {"QLineEdit", "Delete", "Удалить"},
    {"QLineEdit", "Select All", "Выделить всё"},
    {"QWidgetTextControl", "&Undo", "&Отменить действие"},
    {"QWidgetTextControl", "&Redo", "&Повторить действие"},
    {"QWidgetTextControl", "Cu&t", "&Вырезать"},
    {"QWidgetTextControl", "&Copy", "&Копировать"},
    {"QWidgetTextControl", "Copy &Link Location", "Копировать &адрес ссылки"},
    {"QWidgetTextControl", "&Paste", "Вст&авить"},
    {"QWidgetTextControl", "Delete", "Удалить"},
    {"QWidgetTextControl", "Select All", "Выделить всё"},
};

}  // namespace

// Our own texts, asked only when no translation installed after it knows the string.
class RussianTexts::OwnTexts final : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        (void)disambiguation;
        (void)n;
        if (context == nullptr || sourceText == nullptr) return QString();
        for (const OwnText& own : kOwnTexts) {
            if (std::strcmp(own.context, context) == 0 && std::strcmp(own.source, sourceText) == 0) {
                return QString::fromUtf8(own.russian);
            }
        }
        return QString();
    }
};

RussianTexts::RussianTexts(bool withQtTranslations) : FOwn(std::make_unique<OwnTexts>()) {
    // Translators installed later are asked first: Qt's own, where present, before ours.
    QCoreApplication::installTranslator(FOwn.get());
    if (withQtTranslations &&
        FQt.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        FQtLoaded = QCoreApplication::installTranslator(&FQt);
    }
}

RussianTexts::~RussianTexts() {
    if (FQtLoaded) QCoreApplication::removeTranslator(&FQt);
    QCoreApplication::removeTranslator(FOwn.get());
}

}  // namespace app
