#include "platform/Desktop.h"

#include <cstdio>

namespace platform {
namespace {

class ConsoleDesktop final : public Desktop {
public:
    Answer showMessage(const MessageBoxRequest& request) override {
        std::fprintf(stderr, "[%s] %s\n", request.caption.c_str(), request.text.c_str());
        switch (request.kind) {
            case MessageKind::Error: return Answer::Ok;
            case MessageKind::YesNo: return Answer::No;
            case MessageKind::YesNoCancel: return Answer::Cancel;
        }
        return Answer::Ok;
    }
    void setCursor(CursorShape) override {}
};

ConsoleDesktop consoleDesktop;
Desktop* current = &consoleDesktop;

}  // namespace

Desktop& desktop() { return *current; }

ScopedDesktop::ScopedDesktop(Desktop& replacement) : previous_(current) { current = &replacement; }
ScopedDesktop::~ScopedDesktop() { current = previous_; }

void showError(const std::string& caption, const std::string& text, bool topmost) {
    desktop().showMessage({caption, text, MessageKind::Error, topmost});
}

bool askYesNo(const std::string& caption, const std::string& text, bool topmost) {
    return desktop().showMessage({caption, text, MessageKind::YesNo, topmost}) == Answer::Yes;
}

Answer askYesNoCancel(const std::string& caption, const std::string& text, bool topmost) {
    return desktop().showMessage({caption, text, MessageKind::YesNoCancel, topmost});
}

void setCursor(CursorShape shape) { desktop().setCursor(shape); }

}  // namespace platform
