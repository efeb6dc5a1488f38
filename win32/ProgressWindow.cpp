#include "win32/ProgressWindow.h"

#include <algorithm>
#include <array>
#include <exception>
#include <stdexcept>

#include "app/ApplicationTitle.h"
#include "platform/win32/WideText.h"
#include "win32/ExceptionReport.h"
#include "win32/MessageLoop.h"

namespace win32 {
namespace {

constexpr const wchar_t* kClassName = L"Konvika.ProgressWindow";
// Posted by Show: the conversion starts once the message loop turns and the window is drawn.
constexpr UINT kStartMessage = WM_APP + 10;
constexpr int kBarMaximum = 100;

// The window as it was drawn. The progress bar's 1-pixel sunken edge is the panel around it,
// so its inside is 394 × 16.
constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX;
constexpr std::array kControls{
    ControlSpec{ProgressWindow::kLabelId, L"STATIC", L"Идет конвертация файла. Ждите...", 16, 8,
                364, 25, kLabelStyle, 0},
    ControlSpec{ProgressWindow::kProgressId, PROGRESS_CLASSW, L"", 8, 35, 396, 18, 0,
                WS_EX_STATICEDGE},
    ControlSpec{ProgressWindow::kCancelId, L"BUTTON", L"Отменить", 135, 64, 145, 28,
                WS_TABSTOP | BS_PUSHBUTTON, 0},
};

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

HBRUSH tealBrush() {
    static const HBRUSH brush = CreateSolidBrush(ProgressWindow::kTeal);
    return brush;
}

}  // namespace

void ProgressWindow::registerClass(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &ProgressWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = tealBrush();
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassExW(&windowClass) != 0;
}

ProgressWindow::ProgressWindow(std::unique_ptr<app::Converter> converter)
    : FSession(std::move(converter)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerClass(instance);
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const std::string title = app::ProgramTitle();
    const std::wstring caption = platform::win32::widen(title);
    CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                    instance, this);
    if (window_ == nullptr) throw std::runtime_error("CreateWindowEx failed");
    registerWindow(window_);
    onCreate();
    app::SetApplicationHint(title);
    app::SetApplicationTitle(title);
}

ProgressWindow::~ProgressWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void ProgressWindow::onCreate() {
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
    createControls(window_, kControls, buttonFont_.get());
    SendDlgItemMessageW(window_, kLabelId, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()),
                        FALSE);
    SendDlgItemMessageW(window_, kProgressId, PBM_SETRANGE32, 0, kBarMaximum);
    SendDlgItemMessageW(window_, kProgressId, PBM_SETPOS, 0, 0);
    centerOnScreen(window_);
}

void ProgressWindow::SetCommandLine(const std::string& commandLine) {
    FSession.SetCommandLine(commandLine);
}

void ProgressWindow::Show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    PostMessageW(window_, kStartMessage, 0, 0);
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<ProgressWindow*>(created->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window is gone: nothing may use its handle any more.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT ProgressWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
            return onControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_COMMAND:
            onCommand(LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            onClose();
            return 0;
        case kStartMessage:
            onStart();
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT ProgressWindow::onControlColor(HDC dc, HWND control) {
    if (GetDlgCtrlID(control) == kLabelId) {
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, kTeal);
    }
    return reinterpret_cast<LRESULT>(tealBrush());
}

void ProgressWindow::onCommand(int id) {
    // The button and Esc: the question only; the conversion stops at its next check.
    if (id == kCancelId) FSession.AskCancel(Caption());
}

void ProgressWindow::onClose() {
    using CloseAnswer = app::ConversionSession::CloseAnswer;
    switch (FSession.CloseQuery(Caption())) {
        case CloseAnswer::Close:
            endProgram();
            return;
        case CloseAnswer::CloseAfterConversion:
            // Convert is still on the stack and uses this window: hide it now, end the program
            // when Convert returns.
            endAfterConversion_ = true;
            ShowWindow(window_, SW_HIDE);
            return;
        case CloseAnswer::Stay:
            return;
    }
}

void ProgressWindow::onStart() {
    using Activation = app::ConversionSession::Activation;
    try {
        switch (FSession.Activate(this, this)) {
            case Activation::NothingToDo:
                return;
            case Activation::WrongParameters:
            case Activation::Converted:
                endProgram();
                return;
        }
    } catch (const std::exception& error) {
        ReportException(error.what());
    } catch (...) {
        ReportException(std::string());
    }
    // The window stays open after an escaped exception, unless the user has already agreed to
    // close it: then nothing would ever show it again.
    if (endAfterConversion_) endProgram();
}

void ProgressWindow::endProgram() {
    if (ended_) return;
    ended_ = true;
    if (window_ != nullptr) DestroyWindow(window_);
    PostQuitMessage(0);
}

std::string ProgressWindow::Caption() const { return app::ProgramTitle(); }

void ProgressWindow::Repaint() {
    if (window_ == nullptr) return;
    RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ProgressWindow::ProcessMessages() { processWaitingMessages(); }

void ProgressWindow::SetPosition(int position) {
    // Beyond the range the bar stays full, as the original control did.
    if (window_ == nullptr) return;
    SendDlgItemMessageW(window_, kProgressId, PBM_SETPOS,
                        static_cast<WPARAM>(std::clamp(position, 0, kBarMaximum)), 0);
}

}  // namespace win32
