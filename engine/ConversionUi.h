#pragma once
// What the converter needs of the program's window while it converts: a progress bar, a window
// that repaints at once, a message loop that handles every waiting message, and the
// correspondence dialog that asks the user about a record. The Qt program implements these;
// tests script them. The engine itself never depends on a GUI.
#include <memory>
#include <string>

namespace engine {

// Modal results of the dialogs.
inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;
inline constexpr int kModalIgnore = 5;

// Question modes of the correspondence dialog.
inline constexpr int kAskCode = 1;
inline constexpr int kAskUnit = 2;

class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual void SetPosition(int position) = 0;  // 0 to 100
};

class ConversionWindow {
public:
    virtual ~ConversionWindow() = default;
    virtual void Repaint() = 0;          // repaint the window at once
    virtual void ProcessMessages() = 0;  // handle every waiting message and return
};

// One question to the user; lives for that question only. Texts are Windows-1251.
class CorrespondenceDialog {
public:
    virtual ~CorrespondenceDialog() = default;
    virtual void SetQuestion(const std::string& baseCode, const std::string& message,
                             const std::string& code, const std::string& unit,
                             const std::string& name, const std::string& secondUnitsDir,
                             const std::string& firstUnitsDir) = 0;
    virtual void SetMode(int mode) = 0;
    virtual int ShowModal() = 0;  // kModalOk, kModalCancel or kModalIgnore
    virtual bool IsSkipSbornik() const = 0;
    virtual void GetAnswer(std::string& code, std::string& unitCode,
                           std::string& coefficient) const = 0;
};

class CorrespondenceDialogFactory {
public:
    virtual ~CorrespondenceDialogFactory() = default;
    virtual std::unique_ptr<CorrespondenceDialog> CreateDialog() = 0;
    // Lets the GUI handle all pending window messages once (after an answered dialog).
    virtual void ProcessMessages() = 0;
};

}  // namespace engine
