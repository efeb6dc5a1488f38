#pragma once
// A desktop for tests: records every message box and cursor change, and answers questions from
// a script (then with a default answer).
#include <deque>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace testing_support {

class RecordingDesktop : public platform::Desktop {
public:
    RecordingDesktop();
    ~RecordingDesktop() override;

    platform::Answer showMessage(const platform::MessageBoxRequest& request) override;
    void setCursor(platform::CursorShape shape) override;

    void queueAnswer(platform::Answer answer) { answers_.push_back(answer); }
    // Texts are Windows-1251; these helpers give them as UTF-8 for readable assertions.
    std::vector<std::string> textsUtf8() const;
    std::string lastTextUtf8() const;

    std::vector<platform::MessageBoxRequest> messages;
    std::vector<platform::CursorShape> cursors;
    platform::Answer defaultAnswer = platform::Answer::No;

private:
    std::deque<platform::Answer> answers_;
    platform::ScopedDesktop installed_;
};

}  // namespace testing_support
