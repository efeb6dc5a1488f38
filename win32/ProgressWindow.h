#pragma once
// The progress window of the Windows program: a small always-on-top tool window, teal, with a
// label, a progress bar and the "Отменить" button. As soon as it is shown and the message loop
// turns, it runs the whole conversion (app::ConversionSession does the work, as under the Qt
// window); when the conversion returns it closes itself and asks the message loop to end.
#include "win32/WinApi.h"

#include <memory>
#include <string>

#include "app/ConversionSession.h"
#include "engine/ConversionUi.h"
#include "win32/Controls.h"

namespace win32 {

class ProgressWindow final : public engine::ConversionWindow, private engine::ProgressBar {
public:
    explicit ProgressWindow(std::unique_ptr<app::Converter> converter);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void SetCommandLine(const std::string& commandLine);
    // Shows the window and posts the start of the conversion to the message loop.
    void Show();
    HWND handle() const { return window_; }
    app::ConversionSession& Session() { return FSession; }
    // The window has gone and the message loop has been asked to end.
    bool Ended() const { return ended_; }

    // What the converter uses between tables.
    void Repaint() override;
    void ProcessMessages() override;

    enum ControlId : int {
        kLabelId = 100,
        kProgressId = 101,
        kCancelId = IDCANCEL,  // the dialog manager presses it on Esc
    };
    static constexpr int kClientWidth = 414;
    static constexpr int kClientHeight = 100;
    static constexpr COLORREF kTeal = RGB(0, 128, 128);

private:
    static void registerClass(HINSTANCE instance);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCreate();
    LRESULT onControlColor(HDC dc, HWND control);
    void onCommand(int id);
    void onClose();
    void onStart();
    void endProgram();
    std::string Caption() const;
    void SetPosition(int position) override;

    app::ConversionSession FSession;
    HWND window_ = nullptr;
    Font formFont_{11, false};
    Font labelFont_{21, true};
    Font buttonFont_{13, false};
    bool endAfterConversion_ = false;
    bool ended_ = false;
};

}  // namespace win32
