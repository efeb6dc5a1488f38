#include "platform/win32/MessageBoxDesktop.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace platform::win32 {

unsigned messageBoxFlags(const MessageBoxRequest& request) {
    UINT flags = MB_TASKMODAL;
    switch (request.kind) {
        case MessageKind::Error: flags |= MB_ICONEXCLAMATION | MB_OK; break;
        case MessageKind::YesNo: flags |= MB_ICONQUESTION | MB_YESNO; break;
        case MessageKind::YesNoCancel: flags |= MB_ICONQUESTION | MB_YESNOCANCEL; break;
    }
    if (request.topmost) flags |= MB_TOPMOST;
    return flags;
}

Answer answerOf(int messageBoxResult, MessageKind kind) {
    switch (messageBoxResult) {
        case IDYES: return Answer::Yes;
        case IDNO: return Answer::No;
        case IDCANCEL: return Answer::Cancel;
        case IDOK: return Answer::Ok;
        default: break;
    }
    // The box could not be shown: the answer that changes nothing.
    switch (kind) {
        case MessageKind::Error: return Answer::Ok;
        case MessageKind::YesNo: return Answer::No;
        case MessageKind::YesNoCancel: return Answer::Cancel;
    }
    return Answer::Ok;
}

Answer MessageBoxDesktop::showMessage(const MessageBoxRequest& request) {
    const int result = ::MessageBoxW(nullptr, widen(request.text).c_str(),
                                     widen(request.caption).c_str(), messageBoxFlags(request));
    return answerOf(result, request.kind);
}

void MessageBoxDesktop::setCursor(CursorShape shape) {
    ::SetCursor(::LoadCursorW(nullptr, shape == CursorShape::Busy ? IDC_WAIT : IDC_ARROW));
}

}  // namespace platform::win32
