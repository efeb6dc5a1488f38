#pragma once
// The Windows desktop: message boxes through MessageBoxW and the mouse cursor. The program
// installs it (ScopedDesktop); tests use the flags alone, which need no display.
#include "platform/Desktop.h"

namespace platform::win32 {

// MessageBoxW flags of a request: always task-modal; errors with the exclamation icon and OK,
// questions with the question icon and Yes/No (and Cancel); the dialog's boxes on top. The
// buttons' words come from the system, in its language.
unsigned messageBoxFlags(const MessageBoxRequest& request);

// The answer a MessageBoxW result stands for.
Answer answerOf(int messageBoxResult, MessageKind kind);

class MessageBoxDesktop final : public Desktop {
public:
    Answer showMessage(const MessageBoxRequest& request) override;
    void setCursor(CursorShape shape) override;
};

}  // namespace platform::win32
