// MessageBoxW flags and answers of the Windows desktop; no box is shown.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/MessageBoxDesktop.h"

namespace {

using platform::Answer;
using platform::MessageBoxRequest;
using platform::MessageKind;
using platform::win32::answerOf;
using platform::win32::messageBoxFlags;

struct FlagsCase {
    MessageKind kind;
    bool topmost;
    unsigned expected;
};

class Flags : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(Flags, AreTaskModalWithTheKindsIconAndButtons) {
    const FlagsCase& c = GetParam();
    EXPECT_EQ(messageBoxFlags(MessageBoxRequest{"caption", "text", c.kind, c.topmost}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Flags,
    ::testing::Values(
        FlagsCase{MessageKind::Error, false, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK},
        FlagsCase{MessageKind::YesNo, false, MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO},
        FlagsCase{MessageKind::YesNoCancel, false, MB_TASKMODAL | MB_ICONQUESTION | MB_YESNOCANCEL},
        FlagsCase{MessageKind::Error, true, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK | MB_TOPMOST},
        FlagsCase{MessageKind::YesNoCancel, true,
                  MB_TASKMODAL | MB_ICONQUESTION | MB_YESNOCANCEL | MB_TOPMOST}));

TEST(Answers, FollowTheButtonPressed) {
    EXPECT_EQ(answerOf(IDOK, MessageKind::Error), Answer::Ok);
    EXPECT_EQ(answerOf(IDYES, MessageKind::YesNo), Answer::Yes);
    EXPECT_EQ(answerOf(IDNO, MessageKind::YesNo), Answer::No);
    EXPECT_EQ(answerOf(IDCANCEL, MessageKind::YesNoCancel), Answer::Cancel);
}

TEST(Answers, ABoxThatCouldNotBeShownChangesNothing) {
    EXPECT_EQ(answerOf(0, MessageKind::Error), Answer::Ok);
    EXPECT_EQ(answerOf(0, MessageKind::YesNo), Answer::No);
    EXPECT_EQ(answerOf(0, MessageKind::YesNoCancel), Answer::Cancel);
}

}  // namespace
