#pragma once
// Helpers for the tests of the Win32 windows: the place of a control in its window's client
// area, the text of a window as UTF-8, the font a control draws with, and steps that run on the
// window thread while a modal loop turns (a thread timer, dispatched by our own loops).
#include <functional>
#include <string>
#include <vector>

#include "win32/WinApi.h"

namespace testing_support {

struct Place {
    int left, top, width, height;
    bool operator==(const Place&) const = default;
};

// True when this session can create windows. Without a display (the GUI-free test run under
// wine) it cannot; the window tests then skip, saying where they run: under Xvfb, from
// scripts/test-windows-program.sh.
bool windowsCanBeCreated();
#define KONVIKA_REQUIRE_WINDOWS()                                                              \
    if (!testing_support::windowsCanBeCreated())                                               \
    GTEST_SKIP() << "no display: these windows are tested by scripts/test-windows-program.sh"

Place placeInParent(HWND control);
Place clientSize(HWND window);
std::string textUtf8(HWND window);
LOGFONTW fontOf(HWND window);

// Runs the steps one per timer tick on this thread; a step may not return before its effect is
// visible to the next one. Ticks come only while a message loop turns.
class TimedSteps {
public:
    explicit TimedSteps(std::vector<std::function<void()>> steps);
    ~TimedSteps();
    bool finished() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD);
    std::vector<std::function<void()>> steps_;
    std::size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

// Posts a key press (down and, for characters, the character) to a control, as the keyboard
// would through the message loop.
void postKey(HWND control, WPARAM virtualKey);
void postChars(HWND control, const std::wstring& characters);

}  // namespace testing_support
