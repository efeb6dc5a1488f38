#pragma once
// The Qt implementation of the desktop services: the program's message boxes (modal to the
// program, exclamation icon with OK for errors, question icon with Yes/No or Yes/No/Cancel for
// questions, on top of everything when asked) and the busy cursor. The program entry installs
// it; texts arrive as Windows-1251 and are shown as Unicode.
#include <string>

#include "platform/Desktop.h"

namespace app {

class QtDesktop final : public platform::Desktop {
public:
    platform::Answer showMessage(const platform::MessageBoxRequest& request) override;
    void setCursor(platform::CursorShape shape) override;
    // The stop box titled with the application's title (ReportException).
    void reportException(const std::string& message) override;
};

// The box of the standard exception report: stop icon, OK, modal to the program.
void ShowStopMessage(const std::string& caption, const std::string& text);

}  // namespace app
