#pragma once
// Child controls of the program's Win32 windows made from a table: one row per control with its
// id, window class, text, place (client pixels, used as they stand, as the forms were drawn) and
// styles. The fonts come from the system's message font, which carries Cyrillic on every
// Windows, at the pixel heights of the forms.
#include "win32/WinApi.h"

#include <span>
#include <string>

namespace win32 {

struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    int left, top, width, height;
    DWORD style;    // WS_CHILD | WS_VISIBLE are always added
    DWORD exStyle;
};

// Creates the controls in table order, which is also their Tab order.
void createControls(HWND parent, std::span<const ControlSpec> controls, HFONT font);

// A font of the system's message face, `pixels` high (character height), normal or bold.
// The caller owns it (DeleteObject, or keep it in a Font).
HFONT createMessageFont(int pixels, bool bold);

// Owns one font handle.
class Font {
public:
    Font(int pixels, bool bold) : handle_(createMessageFont(pixels, bold)) {}
    ~Font() { if (handle_ != nullptr) DeleteObject(handle_); }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    HFONT get() const { return handle_; }

private:
    HFONT handle_;
};

// The text of a window, as Windows-1251, and setting it from Windows-1251.
std::string windowText(HWND window);
void setWindowText(HWND window, const std::string& cp1251);

// Places a top-level window of the given client size in the middle of the screen.
void centerOnScreen(HWND window);

}  // namespace win32
