#include "app/QtDesktop.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QString>
#include <QWidget>

#include "app/ApplicationTitle.h"
#include "app/ExceptionReport.h"
#include "text/CodePages.h"

namespace app {
namespace {

QString fromAnsi(const std::string& cp1251) {
    return QString::fromStdString(text::cp1251ToUtf8(cp1251));
}

// A box owned by the window the user works in stays above it, also above the progress window,
// which is always on top; with no window yet it is centred on the screen.
QWidget* ownerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

QMessageBox::StandardButton runBox(QMessageBox::Icon icon, const std::string& caption,
                                   const std::string& textCp1251,
                                   QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton defaultButton, bool topmost) {
    QMessageBox box(icon, fromAnsi(caption), fromAnsi(textCp1251), buttons, ownerWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(defaultButton);
    if (topmost) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        // Shown, raised and activated before its loop runs, so that a desktop that does not
        // activate new windows by itself still gives it the keyboard.
        box.show();
        box.raise();
        box.activateWindow();
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

platform::Answer QtDesktop::showMessage(const platform::MessageBoxRequest& request) {
    using platform::Answer;
    using platform::MessageKind;
    switch (request.kind) {
        case MessageKind::Error:
            runBox(QMessageBox::Warning, request.caption, request.text, QMessageBox::Ok,
                   QMessageBox::Ok, request.topmost);
            return Answer::Ok;
        case MessageKind::YesNo: {
            const auto button =
                runBox(QMessageBox::Question, request.caption, request.text,
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, request.topmost);
            return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
        }
        case MessageKind::YesNoCancel: {
            const auto button = runBox(QMessageBox::Question, request.caption, request.text,
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                       QMessageBox::Yes, request.topmost);
            if (button == QMessageBox::Yes) return Answer::Yes;
            if (button == QMessageBox::No) return Answer::No;
            return Answer::Cancel;
        }
    }
    return Answer::Ok;
}

void QtDesktop::setCursor(platform::CursorShape shape) {
    // One cursor state for the whole program, as the screen cursor of the original desktop:
    // busy replaces whatever was set, arrow drops it.
    if (shape == platform::CursorShape::Busy) {
        if (QApplication::overrideCursor() != nullptr) {
            QApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
        } else {
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        }
        return;
    }
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

void QtDesktop::reportException(const std::string& message) {
    ShowStopMessage(ApplicationTitle(), ExceptionReportText(message));
}

void ShowStopMessage(const std::string& caption, const std::string& text) {
    runBox(QMessageBox::Critical, caption, text, QMessageBox::Ok, QMessageBox::Ok, false);
}

}  // namespace app
