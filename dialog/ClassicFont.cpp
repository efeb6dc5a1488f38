#include "dialog/ClassicFont.h"

#include <QFontDatabase>
#include <QString>

namespace dialog {

QFont ClassicFont(int pixelSize, bool bold) {
    static const QString family = [] {
        const QString classic = QStringLiteral("MS Sans Serif");
        if (QFontDatabase::hasFamily(classic)) return classic;
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace dialog
