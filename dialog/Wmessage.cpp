#include "dialog/Wmessage.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include "text/CodePages.h"

WMessage::WMessage()
    : FDescription("WMessage: Класс для работы с системными сообщениями"_w) {}

void WMessage::CloseActiveWindow() const {
    QWidget* target = QApplication::activeModalWidget();
    if (target == nullptr) target = QApplication::activeWindow();
    if (target == nullptr) return;
    QMetaObject::invokeMethod(target, [target] { target->close(); }, Qt::QueuedConnection);
}
