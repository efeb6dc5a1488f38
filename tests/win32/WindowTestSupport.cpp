#include "tests/win32/WindowTestSupport.h"

#include <map>

#include "platform/win32/WideText.h"
#include "text/CodePages.h"

namespace testing_support {
namespace {

std::map<UINT_PTR, TimedSteps*>& running() {
    static std::map<UINT_PTR, TimedSteps*> timers;
    return timers;
}

}  // namespace

bool windowsCanBeCreated() {
    static const bool possible = [] {
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        if (probe == nullptr) return false;
        DestroyWindow(probe);
        return true;
    }();
    return possible;
}

Place placeInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Place clientSize(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return {0, 0, rect.right, rect.bottom};
}

std::string textUtf8(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return text::cp1251ToUtf8(platform::win32::narrowForDiagnostics(buffer));
}

LOGFONTW fontOf(HWND window) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    if (handle != nullptr) GetObjectW(handle, sizeof(font), &font);
    return font;
}

TimedSteps::TimedSteps(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
    timer_ = SetTimer(nullptr, 0, 20, &TimedSteps::tick);
    running()[timer_] = this;
}

TimedSteps::~TimedSteps() {
    KillTimer(nullptr, timer_);
    running().erase(timer_);
}

void CALLBACK TimedSteps::tick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = running().find(id);
    if (found == running().end()) return;
    TimedSteps& self = *found->second;
    if (self.finished()) return;
    // A step may start a nested loop (the dialog's modal run); the ticks go on inside it, so
    // the steps after it drive what it started.
    auto step = std::move(self.steps_[self.next_]);
    ++self.next_;
    step();
}

void postKey(HWND control, WPARAM virtualKey) {
    PostMessageW(control, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(control, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void postChars(HWND control, const std::wstring& characters) {
    for (const wchar_t c : characters) PostMessageW(control, WM_CHAR, c, 1);
}

}  // namespace testing_support
