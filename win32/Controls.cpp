#include "win32/Controls.h"

#include <string>

#include "platform/win32/WideText.h"

namespace win32 {

void createControls(HWND parent, std::span<const ControlSpec> controls, HFONT font) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    for (const ControlSpec& c : controls) {
        HWND control = CreateWindowExW(c.exStyle, c.className, c.text,
                                       WS_CHILD | WS_VISIBLE | c.style, c.left, c.top, c.width,
                                       c.height, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance, nullptr);
        if (control != nullptr && font != nullptr) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
}

HFONT createMessageFont(int pixels, bool bold) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW face{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        face = metrics.lfMessageFont;
    } else {
        lstrcpynW(face.lfFaceName, L"Tahoma", LF_FACESIZE);
    }
    // A negative height asks for the character height, as the forms give their sizes.
    face.lfHeight = -pixels;
    face.lfWidth = 0;
    face.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    return CreateFontIndirectW(&face);
}

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return platform::win32::narrowForDiagnostics(wide);
}

void setWindowText(HWND window, const std::string& cp1251) {
    SetWindowTextW(window, platform::win32::widen(cp1251).c_str());
}

void centerOnScreen(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace win32
