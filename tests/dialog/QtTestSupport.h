#pragma once
// Helpers for the tests of the program's forms: a QApplication on the offscreen platform (the
// tests' main creates it) and a way to answer the real message boxes a form shows.
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

namespace testing_support {

// What a test saw of a real message box and how it answered it.
struct SeenBox {
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    bool topmost = false;
    QStringList buttonTexts;  // as shown, left to right
};

// Waits (running the event loop) for the next message box to appear, records it and presses
// the given button. Arm it before the code that shows the box.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer);
    ~BoxAnswerer();
    const SeenBox& box() const { return seen_; }

private:
    void poll();
    QMessageBox::StandardButton answer_;
    SeenBox seen_;
    int timer_ = 0;
    class Poller;
    Poller* poller_ = nullptr;
};

// Runs the event loop until the condition holds or the time is over; true when it holds.
bool waitFor(const std::function<bool()>& condition, int milliseconds = 5000);

QString utf8(const std::string& text);

}  // namespace testing_support
