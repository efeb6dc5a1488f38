#include "dialog/ClassicFont.h"

#include <QFontDatabase>
#include <QString>

namespace dialog {

QFont ClassicFont(int pixelSize, bool bold) {
    static const QString family = [] {
        // The layouts were drawn for "MS Sans Serif"; the faces after it are the nearest in width
        // (wider faces such as DejaVu Sans cut the labels off).
        const char* candidates[] = {"MS Sans Serif", "Microsoft Sans Serif", "Arial",
                                    "Liberation Sans", "Arimo", "Nimbus Sans", "Helvetica"};
        for (const char* candidate : candidates) {
            const QString name = QString::fromLatin1(candidate);
            if (QFontDatabase::hasFamily(name)) return name;
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace dialog
