#include "tests/dialog/QtTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace testing_support {

class BoxAnswerer::Poller : public QObject {
public:
    explicit Poller(BoxAnswerer& owner) : owner_(owner) { startTimer(5); }

protected:
    void timerEvent(QTimerEvent*) override { owner_.poll(); }

private:
    BoxAnswerer& owner_;
};

BoxAnswerer::BoxAnswerer(QMessageBox::StandardButton answer)
    : answer_(answer), poller_(new Poller(*this)) {}

BoxAnswerer::~BoxAnswerer() { delete poller_; }

void BoxAnswerer::poll() {
    if (seen_.seen) return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr || !box->isVisible()) continue;
        seen_.seen = true;
        seen_.title = box->windowTitle();
        seen_.text = box->text();
        seen_.icon = box->icon();
        seen_.buttons = box->standardButtons();
        seen_.modal = box->windowModality() == Qt::ApplicationModal;
        seen_.topmost = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        for (QAbstractButton* shown : box->buttons()) seen_.buttonTexts << shown->text();
        QAbstractButton* button = box->button(answer_);
        if (button != nullptr) {
            button->click();
        } else {
            box->done(answer_);
        }
        return;
    }
}

bool waitFor(const std::function<bool()>& condition, int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(5);
    }
    return true;
}

QString utf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace testing_support
