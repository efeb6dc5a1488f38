#include "win32/MessageLoop.h"

namespace win32 {
namespace {

constexpr const wchar_t* kOursProperty = L"Konvika.Window";

HWND ourRoot(HWND window) {
    if (window == nullptr) return nullptr;
    HWND root = GetAncestor(window, GA_ROOT);
    return root != nullptr && GetPropW(root, kOursProperty) != nullptr ? root : nullptr;
}

}  // namespace

void registerWindow(HWND window) {
    SetPropW(window, kOursProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
}

void dispatchMessage(MSG& message) {
    if (HWND root = ourRoot(message.hwnd)) {
        if (SendMessageW(root, kPreviewMessage, 0, reinterpret_cast<LPARAM>(&message)) != 0) {
            return;
        }
        if (IsDialogMessageW(root, &message)) return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool processWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        dispatchMessage(message);
    }
    return true;
}

int runMessageLoop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got < 0) return 0;
        dispatchMessage(message);
    }
}

void runModalLoop(HWND window, HWND owner, const bool& done) {
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    MSG message;
    while (!done && IsWindow(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        dispatchMessage(message);
    }
    // The owner is enabled again before the dialog goes, so that the system activates it and
    // not some other program's window.
    if (disableOwner) EnableWindow(owner, TRUE);
}

}  // namespace win32
