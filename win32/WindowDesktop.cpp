#include "win32/WindowDesktop.h"

#include "platform/win32/WideText.h"

namespace win32 {

HWND messageBoxOwner() { return GetActiveWindow(); }

platform::Answer WindowDesktop::showMessage(const platform::MessageBoxRequest& request) {
    const std::wstring text = platform::win32::widen(request.text);
    const std::wstring caption = platform::win32::widen(request.caption);
    const int result = MessageBoxW(messageBoxOwner(), text.c_str(), caption.c_str(),
                                   platform::win32::messageBoxFlags(request));
    return platform::win32::answerOf(result, request.kind);
}

}  // namespace win32
