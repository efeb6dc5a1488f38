#pragma once
// The correspondence dialog "Выбор соответствия" of the Windows program: the same question in
// the same two modes as the Qt form, drawn with Win32 controls over the plain
// dialog::CorrespondenceQuestion, which decides everything. This window lays out the controls,
// shows the question's texts, forwards every edit, choice, button and key to it and ends its
// modal loop with the modal result it is given. CorrespondenceWindowFactory makes one dialog
// per question, owned by the progress window.
#include <memory>
#include <string>

#include "dialog/CorrespondenceQuestion.h"
#include "engine/ConversionUi.h"
#include "win32/Controls.h"
#include "win32/UnitsListView.h"
#include "win32/WinApi.h"

namespace win32 {

class CorrespondenceWindow final : public engine::CorrespondenceDialog {
public:
    explicit CorrespondenceWindow(HWND owner);
    ~CorrespondenceWindow() override;
    CorrespondenceWindow(const CorrespondenceWindow&) = delete;
    CorrespondenceWindow& operator=(const CorrespondenceWindow&) = delete;

    // engine::CorrespondenceDialog; texts are Windows-1251.
    void SetQuestion(const std::string& baseCode, const std::string& message,
                     const std::string& code, const std::string& unit, const std::string& name,
                     const std::string& secondUnitsDir,
                     const std::string& firstUnitsDir) override;
    void SetMode(int mode) override;
    int ShowModal() override;
    bool IsSkipSbornik() const override { return FQuestion.IsSkipSbornik(); }
    void GetAnswer(std::string& code, std::string& unitCode,
                   std::string& coefficient) const override;

    HWND handle() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    dialog::CorrespondenceQuestion& Question() { return FQuestion; }

    enum ControlId : int {
        kMessageId = 200,
        kGroup1Id,
        kLabel1Id,
        kKodSPId,
        kLabel4Id,
        kEdIzmSPId,
        kLabel3Id,
        kNameId,
        kGroup2Id,
        kLabel5Id,
        kKodORNId,
        kLabel6Id,
        kKPrivId,
        kListId,
        kLabel2Id,
        kSearchId,
        kOkId,
        kNextId,
        kSkipSbornikId,
        kCancelId,
        kHelpId,
    };
    static constexpr int kClientWidth = 590;
    static constexpr int kClientHeight = 487;
    static constexpr int kColumnWidth = 564;  // until the rows are shown; then the list's width

private:
    static void registerClass(HINSTANCE instance);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCreate();
    void onFirstActivation();
    void fillControls();
    void onCommand(int id, int code);
    LRESULT onNotify(const NMHDR& header);
    LRESULT onControlColor(HDC dc, HWND control);
    bool onPreviewKey(MSG& message);
    void onEditChanged(int id);
    void apply(const dialog::CloseDecision& decision);

    dialog::CorrespondenceQuestion FQuestion;
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    UnitsListView list_;
    Font formFont_{13, false};
    Font bigFont_{17, true};
    bool filling_ = false;
    bool done_ = false;
    int modalResult_ = engine::kModalCancel;
};

class CorrespondenceWindowFactory final : public engine::CorrespondenceDialogFactory {
public:
    // The dialogs are owned by `owner` (the progress window), which they disable while shown.
    explicit CorrespondenceWindowFactory(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }
    std::unique_ptr<engine::CorrespondenceDialog> CreateDialog() override;
    void ProcessMessages() override;

private:
    HWND owner_;
};

}  // namespace win32
