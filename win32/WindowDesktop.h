#pragma once
// The desktop of the Windows program: the platform's message boxes (same flags, same answers),
// owned by the program's window in use. An owned box stays above its owner, so a question asked
// over the always-on-top progress window is seen, not hidden behind it.
#include "platform/Desktop.h"
#include "platform/win32/MessageBoxDesktop.h"
#include "win32/WinApi.h"

namespace win32 {

class WindowDesktop final : public platform::Desktop {
public:
    platform::Answer showMessage(const platform::MessageBoxRequest& request) override;
    void setCursor(platform::CursorShape shape) override { boxes_.setCursor(shape); }

private:
    platform::win32::MessageBoxDesktop boxes_;
};

// The window a box of the program belongs to: the thread's active window, else none.
HWND messageBoxOwner();

}  // namespace win32
