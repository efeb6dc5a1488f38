#pragma once
// The desktop services the program needs from the operating system's shell: modal message
// boxes and the mouse cursor. The engine talks only to this interface; the GUI installs a real
// implementation, tests install a recording one. All texts are Windows-1251.
#include <memory>
#include <string>

namespace platform {

enum class MessageKind { Error, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };
enum class CursorShape { Arrow, Busy };

struct MessageBoxRequest {
    std::string caption;
    std::string text;
    MessageKind kind = MessageKind::Error;
    bool topmost = false;  // the correspondence dialog's boxes stay on top
};

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual Answer showMessage(const MessageBoxRequest& request) = 0;
    virtual void setCursor(CursorShape shape) = 0;
    // The standard exception report, for an error that escapes a window's event handler; the
    // GUI shows it in its stop box, elsewhere a plain error box will do.
    virtual void reportException(const std::string& message) {
        showMessage({std::string(), message, MessageKind::Error, false});
    }
};

// The desktop in use; a console fallback (messages to stderr, questions answered No or Cancel)
// until one is installed.
Desktop& desktop();

// Installs a desktop for the lifetime of the guard and restores the previous one afterwards.
class ScopedDesktop {
public:
    explicit ScopedDesktop(Desktop& replacement);
    ~ScopedDesktop();
    ScopedDesktop(const ScopedDesktop&) = delete;
    ScopedDesktop& operator=(const ScopedDesktop&) = delete;

private:
    Desktop* previous_;
};

// Shorthands for the three kinds of box.
void showError(const std::string& caption, const std::string& text, bool topmost = false);
bool askYesNo(const std::string& caption, const std::string& text, bool topmost = false);
Answer askYesNoCancel(const std::string& caption, const std::string& text, bool topmost = false);
void setCursor(CursorShape shape);

}  // namespace platform
