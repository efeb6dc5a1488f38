#include "tests/support/RecordingDesktop.h"

#include "text/CodePages.h"

namespace testing_support {

RecordingDesktop::RecordingDesktop() : installed_(*this) {}
RecordingDesktop::~RecordingDesktop() = default;

platform::Answer RecordingDesktop::showMessage(const platform::MessageBoxRequest& request) {
    messages.push_back(request);
    if (request.kind == platform::MessageKind::Error) return platform::Answer::Ok;
    if (answers_.empty()) return defaultAnswer;
    const platform::Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void RecordingDesktop::setCursor(platform::CursorShape shape) { cursors.push_back(shape); }

std::vector<std::string> RecordingDesktop::textsUtf8() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(text::cp1251ToUtf8(m.text));
    return texts;
}

std::string RecordingDesktop::lastTextUtf8() const {
    return messages.empty() ? std::string() : text::cp1251ToUtf8(messages.back().text);
}

}  // namespace testing_support
