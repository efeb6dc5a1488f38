#include "win32/CorrespondenceWindow.h"

#include <array>
#include <exception>
#include <stdexcept>

#include "dialog/AnswerChecks.h"
#include "platform/win32/WideText.h"
#include "win32/ExceptionReport.h"
#include "win32/MessageLoop.h"

namespace win32 {
namespace {

using W = CorrespondenceWindow;

constexpr const wchar_t* kClassName = L"Konvika.CorrespondenceWindow";
// Posted by ShowModal: the first activation fills the controls once the dialog is shown.
constexpr UINT kActivateMessage = WM_APP + 20;

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kCream = RGB(255, 251, 240);

// Group boxes are siblings of their controls in Win32: the controls' places are given in the
// dialog's client area, as the group's top plus the place inside the group.
constexpr int kGroup1 = 65;
constexpr int kGroup2 = 209;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kPanel = SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE | SS_SUNKEN;
constexpr DWORD kEdit = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | WS_DISABLED;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kList = WS_TABSTOP | WS_BORDER | WS_DISABLED | LVS_REPORT | LVS_OWNERDATA |
                        LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;

// Table order is Tab order: the code box, then search -> list -> coefficient -> buttons, so a
// keyboard user meets the boxes of the unit question in the order of the work; the two
// read-only texts come last, where they can still be reached and scrolled.
constexpr std::array kControls{
    ControlSpec{W::kGroup1Id, L"BUTTON", L"Норматив Санкт-Питербурга", 0, kGroup1, 590, 144,
                BS_GROUPBOX, 0},
    ControlSpec{W::kLabel1Id, L"STATIC", L"Код норматива:", 8, kGroup1 + 22, 108, 20, kLabel, 0},
    ControlSpec{W::kKodSPId, L"STATIC", L"", 118, kGroup1 + 18, 170, 26, kPanel, 0},
    ControlSpec{W::kLabel4Id, L"STATIC", L"Ед. изм.:", 304, kGroup1 + 22, 64, 20, kLabel, 0},
    ControlSpec{W::kEdIzmSPId, L"STATIC", L"", 370, kGroup1 + 18, 212, 26, kPanel, 0},
    ControlSpec{W::kLabel3Id, L"STATIC", L"Наименование:", 8, kGroup1 + 50, 108, 18, kLabel, 0},
    ControlSpec{W::kGroup2Id, L"BUTTON", L"Заменить на", 0, kGroup2, 590, 206, BS_GROUPBOX, 0},
    ControlSpec{W::kLabel5Id, L"STATIC", L"Код норматива:", 8, kGroup2 + 24, 108, 20,
                kLabel | WS_DISABLED, 0},
    ControlSpec{W::kKodORNId, L"EDIT", L"", 118, kGroup2 + 20, 170, 26, kEdit, 0},
    ControlSpec{W::kLabel6Id, L"STATIC", L"Коэфф. приведения:", 304, kGroup2 + 24, 134, 20,
                kLabel | WS_DISABLED, 0},
    ControlSpec{W::kLabel2Id, L"STATIC", L"Поиск по имени:", 8, 423, 108, 20,
                kLabel | WS_DISABLED, 0},
    ControlSpec{W::kSearchId, L"EDIT", L"", 118, 419, 464, 24, kEdit, 0},
    ControlSpec{W::kListId, WC_LISTVIEWW, L"", 8, kGroup2 + 52, 574, 148, kList, 0},
    ControlSpec{W::kKPrivId, L"EDIT", L"", 440, kGroup2 + 20, 142, 26, kEdit, 0},
    ControlSpec{W::kOkId, L"BUTTON", L"Принять", 5, 451, 100, 30, kButton, 0},
    ControlSpec{W::kNextId, L"BUTTON", L"Пропустить", 110, 451, 110, 30, kButton, 0},
    ControlSpec{W::kSkipSbornikId, L"BUTTON", L"Пропустить сборник", 225, 451, 150, 30, kButton,
                0},
    ControlSpec{W::kCancelId, L"BUTTON", L"Отмена", 380, 451, 100, 30, kButton, 0},
    ControlSpec{W::kHelpId, L"BUTTON", L"Справка", 485, 451, 100, 30, kButton, 0},
    ControlSpec{W::kMessageId, L"EDIT", L"", 0, 0, 590, 65,
                WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_CENTER, 0},
    ControlSpec{W::kNameId, L"EDIT", L"", 8, kGroup1 + 68, 574, 70,
                WS_TABSTOP | ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER, 0},
};

// Controls drawn in the bold 17-pixel font.
constexpr std::array kBigControls{W::kMessageId, W::kKodSPId, W::kEdIzmSPId, W::kKodORNId,
                                  W::kKPrivId};

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

HBRUSH brushOf(COLORREF color) {
    // Two colours for the life of the program: made once, never freed.
    static const HBRUSH yellow = CreateSolidBrush(kYellow);
    static const HBRUSH cream = CreateSolidBrush(kCream);
    return color == kYellow ? yellow : cream;
}

bool isEdit(HWND control) {
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    return lstrcmpiW(className, L"EDIT") == 0;
}

bool isReadOnlyText(HWND control) {
    return isEdit(control) && (GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY) != 0;
}

// What is pasted into the coefficient box passes the same filter as typing, character by
// character; the box itself is left to do everything else.
LRESULT CALLBACK filterPaste(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                             UINT_PTR id, DWORD_PTR) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, &filterPaste, id);
    if (message != WM_PASTE) return DefSubclassProc(edit, message, wParam, lParam);
    std::wstring pasted;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT) && OpenClipboard(edit)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                pasted = text;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    std::wstring kept;
    for (const wchar_t c : pasted) {
        if (c > 0x7F) continue;
        const auto passed = dialog::FilterCoefficientChar(static_cast<char>(c));
        // Backspace is a key, not text to insert.
        if (passed && *passed != '\b') kept.push_back(static_cast<wchar_t>(*passed));
    }
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
    return 0;
}

bool isEditOrList(int id) {
    return id == W::kKodORNId || id == W::kKPrivId || id == W::kSearchId || id == W::kListId;
}

}  // namespace

void CorrespondenceWindow::registerClass(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &CorrespondenceWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassExW(&windowClass) != 0;
}

CorrespondenceWindow::CorrespondenceWindow(HWND owner) : owner_(owner) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerClass(instance);
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const std::wstring caption = platform::win32::widen(FQuestion.Caption());
    CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    frame.right - frame.left, frame.bottom - frame.top, owner_, nullptr,
                    instance, this);
    if (window_ == nullptr) throw std::runtime_error("CreateWindowEx failed");
    registerWindow(window_);
    onCreate();
}

CorrespondenceWindow::~CorrespondenceWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void CorrespondenceWindow::onCreate() {
    createControls(window_, kControls, formFont_.get());
    for (const int id : kBigControls) {
        SendMessageW(control(id), WM_SETFONT, reinterpret_cast<WPARAM>(bigFont_.get()), FALSE);
    }
    list_.attach(control(kListId), FQuestion.ColumnTitle(), kColumnWidth);
    SetWindowSubclass(control(kKPrivId), &filterPaste, 0, 0);
}

void CorrespondenceWindow::SetQuestion(const std::string& baseCode, const std::string& message,
                                       const std::string& code, const std::string& unit,
                                       const std::string& name,
                                       const std::string& secondUnitsDir,
                                       const std::string& firstUnitsDir) {
    FQuestion.SetQuestion(baseCode, message, code, unit, name, secondUnitsDir, firstUnitsDir);
}

void CorrespondenceWindow::SetMode(int mode) { FQuestion.SetMode(mode); }

int CorrespondenceWindow::ShowModal() {
    done_ = false;
    centerOnScreen(window_);
    ShowWindow(window_, SW_SHOWNORMAL);
    PostMessageW(window_, kActivateMessage, 0, 0);
    runModalLoop(window_, owner_, done_);
    if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
    return modalResult_;
}

void CorrespondenceWindow::GetAnswer(std::string& code, std::string& unitCode,
                                     std::string& coefficient) const {
    FQuestion.GetAnswer(code, unitCode, coefficient);
}

LRESULT CALLBACK CorrespondenceWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<CorrespondenceWindow*>(created->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self =
        reinterpret_cast<CorrespondenceWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->done_ = true;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // An error of the dBASE engine inside a handler must not unwind through the system's
    // dispatcher: report it as the standard report does and let the user go on.
    try {
        return self->handleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        ReportException(error.what());
    } catch (...) {
        ReportException(std::string());
    }
    return 0;
}

LRESULT CorrespondenceWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kActivateMessage:
            onFirstActivation();
            return 0;
        case kPreviewMessage:
            return onPreviewKey(*reinterpret_cast<MSG*>(lParam)) ? 1 : 0;
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CTLCOLORSTATIC:
            return onControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_CLOSE:
            // The close box and Alt+F4: the same as "Отмена".
            apply(FQuestion.Cancel());
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void CorrespondenceWindow::onFirstActivation() {
    using Activation = dialog::CorrespondenceQuestion::Activation;
    switch (FQuestion.Activate()) {
        case Activation::Repeated:
            return;
        case Activation::Failed:
            // The user is asked whether to cancel the conversion, as after the close box.
            PostMessageW(window_, WM_CLOSE, 0, 0);
            return;
        case Activation::Filled:
            fillControls();
            return;
    }
}

void CorrespondenceWindow::fillControls() {
    filling_ = true;
    setWindowText(control(kKodSPId), FQuestion.SourceCode());
    setWindowText(control(kKodORNId), FQuestion.CodeText());
    setWindowText(control(kEdIzmSPId), FQuestion.SourceUnit());
    setWindowText(control(kKPrivId), FQuestion.CoefficientText());
    setWindowText(control(kNameId), FQuestion.SourceName());
    setWindowText(control(kMessageId), FQuestion.Message());
    setWindowText(control(kSearchId), FQuestion.SearchText());
    filling_ = false;

    const bool askCode = FQuestion.CodeEnabled();
    const bool askUnit = FQuestion.UnitEnabled();
    for (const int id : {kLabel5Id, kKodORNId}) EnableWindow(control(id), askCode);
    for (const int id : {kLabel6Id, kKPrivId, kListId, kLabel2Id, kSearchId}) {
        EnableWindow(control(id), askUnit);
    }
    list_.showRows(FQuestion);
    if (askCode) {
        list_.showInactive();
        SetFocus(control(kKodORNId));
    }
    if (askUnit) SetFocus(control(kSearchId));
}

void CorrespondenceWindow::onCommand(int id, int code) {
    if (code == EN_CHANGE) {
        onEditChanged(id);
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case kOkId:
            apply(FQuestion.Accept());
            return;
        case kNextId:
            apply(FQuestion.Skip());
            return;
        case kSkipSbornikId:
            apply(FQuestion.SkipSbornik());
            return;
        case kCancelId:
            apply(FQuestion.Cancel());
            return;
        default:
            return;  // "Справка" has no action
    }
}

void CorrespondenceWindow::onEditChanged(int id) {
    if (filling_) return;
    const std::string text = windowText(control(id));
    if (id == kKodORNId) FQuestion.SetCodeText(text);
    if (id == kKPrivId) FQuestion.SetCoefficientText(text);
    if (id == kSearchId) list_.showChosenRow(FQuestion.SetSearchText(text));
}

LRESULT CorrespondenceWindow::onNotify(const NMHDR& header) {
    if (header.hwndFrom != list_.handle()) return 0;
    if (header.code == NM_CUSTOMDRAW) {
        return list_.drawChosenRow(
            *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    }
    if (header.code == LVN_GETDISPINFOW) {
        list_.giveRowText(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)),
                          FQuestion);
        return 0;
    }
    int row = -1;
    if (list_.userChoseRow(header, row)) {
        FQuestion.SetCurrentRow(row);
        return 0;
    }
    if (header.code == NM_DBLCLK) apply(FQuestion.Accept());
    return 0;
}

LRESULT CorrespondenceWindow::onControlColor(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id != kMessageId && id != kNameId) {
        return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    }
    const COLORREF color = id == kMessageId ? kYellow : kCream;
    SetBkColor(dc, color);
    return reinterpret_cast<LRESULT>(brushOf(color));
}

bool CorrespondenceWindow::onPreviewKey(MSG& message) {
    // The form sees every key before its controls: Esc skips from anywhere, Enter in a box or
    // the list accepts, and the coefficient box takes only what can make up a number.
    const int id = GetDlgCtrlID(message.hwnd);
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        apply(FQuestion.Skip());
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == 'A' &&
        (GetKeyState(VK_CONTROL) & 0x8000) != 0 && isEdit(message.hwnd)) {
        SendMessageW(message.hwnd, EM_SETSEL, 0, -1);
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
        isReadOnlyText(message.hwnd)) {
        // A multi-line box would keep Tab for itself; read-only, it has no use for it.
        const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        SetFocus(GetNextDlgTabItem(window_, message.hwnd, back ? TRUE : FALSE));
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        if (isEditOrList(id)) {
            apply(FQuestion.Accept());
            return true;
        }
        // A focused button answers Enter as it would a space.
        wchar_t className[16] = {};
        GetClassNameW(message.hwnd, className, 16);
        if (lstrcmpiW(className, L"BUTTON") == 0) {
            SendMessageW(message.hwnd, BM_CLICK, 0, 0);
            return true;
        }
        return false;
    }
    if (message.message == WM_CHAR && id == kKPrivId) {
        const wchar_t typed = static_cast<wchar_t>(message.wParam);
        if (typed > 0x7F) return true;
        const auto passed = dialog::FilterCoefficientChar(static_cast<char>(typed));
        if (!passed) return true;
        message.wParam = static_cast<WPARAM>(static_cast<unsigned char>(*passed));
    }
    return false;
}

void CorrespondenceWindow::apply(const dialog::CloseDecision& decision) {
    if (decision.close) {
        modalResult_ = decision.modalResult;
        done_ = true;
        return;
    }
    if (decision.focus == dialog::Control::Code) SetFocus(control(kKodORNId));
    if (decision.focus == dialog::Control::Coefficient) SetFocus(control(kKPrivId));
}

std::unique_ptr<engine::CorrespondenceDialog> CorrespondenceWindowFactory::CreateDialog() {
    return std::make_unique<CorrespondenceWindow>(owner_);
}

void CorrespondenceWindowFactory::ProcessMessages() { processWaitingMessages(); }

}  // namespace win32
