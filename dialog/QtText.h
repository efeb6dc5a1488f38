#pragma once
// Text at the Qt boundary: the program's Windows-1251 bytes to and from Qt's strings. The
// dialog and the program's windows use these, nothing below them.
#include <QString>
#include <string>

#include "text/CodePages.h"

inline QString fromAnsi(const std::string& cp1251) {
    return QString::fromStdString(text::cp1251ToUtf8(cp1251));
}

inline std::string toAnsi(const QString& shown) {
    return text::utf8ToCp1251(shown.toStdString());
}
