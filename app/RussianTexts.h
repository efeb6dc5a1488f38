#pragma once
// Qt's own texts in Russian: the standard buttons of the message boxes ("Да", "Нет", "Отмена",
// "ОК") and the context menus of the edit boxes. Qt's translations are used where the system
// has them; our own texts for the same strings stand behind them, so that the program never
// shows English buttons on its Russian questions. Lives as long as the application.
#include <QTranslator>

#include <memory>

namespace app {

class RussianTexts {
public:
    // withQtTranslations false leaves Qt's files out (tests of our own texts).
    explicit RussianTexts(bool withQtTranslations = true);
    ~RussianTexts();
    RussianTexts(const RussianTexts&) = delete;
    RussianTexts& operator=(const RussianTexts&) = delete;

    // True when Qt's "qtbase_ru" was found and installed.
    bool QtTranslationsLoaded() const { return FQtLoaded; }

private:
    class OwnTexts;
    std::unique_ptr<OwnTexts> FOwn;
    QTranslator FQt;
    bool FQtLoaded = false;
};

}  // namespace app
