#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ConversionSession.h"
#include "tests/app/ScriptedConverter.h"
#include "tests/support/RecordingDesktop.h"
#include "text/CodePages.h"

using app::ConversionSession;
using platform::Answer;
using testing_support::ConverterRecord;
using testing_support::RecordingDesktop;
using testing_support::ScriptedConverter;

namespace {

struct Session {
    std::shared_ptr<ConverterRecord> record = std::make_shared<ConverterRecord>();
    ScriptedConverter* converter = nullptr;
    std::unique_ptr<ConversionSession> session;

    explicit Session(int tables = 2) {
        auto owned = std::make_unique<ScriptedConverter>(record, tables);
        converter = owned.get();
        session = std::make_unique<ConversionSession>(std::move(owned));
    }
};

}  // namespace

TEST(ConversionSession, FiveParametersStartTheConversionWithLoggingOn) {
    RecordingDesktop desktop;
    Session s;
    s.session->SetCommandLine("MG419?/data/price.gv?/out/cena.dbf?/units2?/units1?");
    EXPECT_EQ(s.session->Activate(nullptr, nullptr), ConversionSession::Activation::Converted);
    EXPECT_EQ(s.record->convertCalls, 1);
    EXPECT_EQ(s.record->params, (std::vector<std::string>{"MG419", "/data/price.gv",
                                                          "/out/cena.dbf", "/units2", "/units1"}));
    EXPECT_TRUE(s.record->logging);
    EXPECT_TRUE(s.session->Finished());
    EXPECT_FALSE(s.session->Converting());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(ConversionSession, OnlyTheFirstActivationConverts) {
    RecordingDesktop desktop;
    Session s;
    s.session->SetCommandLine("a?b?c?d?e?");
    EXPECT_EQ(s.session->Activate(nullptr, nullptr), ConversionSession::Activation::Converted);
    EXPECT_EQ(s.session->Activate(nullptr, nullptr), ConversionSession::Activation::NothingToDo);
    EXPECT_EQ(s.session->Activate(nullptr, nullptr), ConversionSession::Activation::NothingToDo);
    EXPECT_EQ(s.record->convertCalls, 1);
}

TEST(ConversionSession, AnythingButFiveParametersEndsSilently) {
    const std::string lines[] = {
        "", "a?b?c?d?", "a?b?c?d?e", "a?b?c?d?e?f?", "no separator at all", "?",
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        RecordingDesktop desktop;
        Session s;
        s.session->SetCommandLine(line);
        EXPECT_EQ(s.session->Activate(nullptr, nullptr),
                  ConversionSession::Activation::WrongParameters);
        EXPECT_EQ(s.record->convertCalls, 0);
        EXPECT_TRUE(desktop.messages.empty()) << "no message for a wrong command line";
        // A later activation does not try again.
        EXPECT_EQ(s.session->Activate(nullptr, nullptr),
                  ConversionSession::Activation::NothingToDo);
    }
}

TEST(ConversionSession, ParametersKeepTheirBlanksAndQuotes) {
    RecordingDesktop desktop;
    Session s;
    s.session->SetCommandLine(" MG419 ?\"/my prices/a.gv\"??u2 ? u1?");
    ASSERT_EQ(s.session->Activate(nullptr, nullptr), ConversionSession::Activation::Converted);
    EXPECT_EQ(s.record->params, (std::vector<std::string>{" MG419 ", "\"/my prices/a.gv\"", "",
                                                          "u2 ", " u1"}));
}

TEST(ConversionSession, CancelQuestionYesSetsTheFlagNoDoesNot) {
    RecordingDesktop desktop;
    Session s;
    desktop.queueAnswer(Answer::No);
    EXPECT_FALSE(s.session->AskCancel("Caption"));
    EXPECT_EQ(s.record->cancelCalls, 0);
    desktop.queueAnswer(Answer::Yes);
    EXPECT_TRUE(s.session->AskCancel("Caption"));
    EXPECT_EQ(s.record->cancelCalls, 1);
    ASSERT_EQ(desktop.messages.size(), 2u);
    for (const auto& m : desktop.messages) {
        EXPECT_EQ(m.caption, "Caption");
        EXPECT_EQ(text::cp1251ToUtf8(m.text), "Прервать операцию?");
        EXPECT_EQ(m.kind, platform::MessageKind::YesNo);
        EXPECT_FALSE(m.topmost);
    }
}

TEST(ConversionSession, CloseWhileConvertingAsksAndWaitsForConvertToReturn) {
    RecordingDesktop desktop;
    Session s(3);
    std::vector<ConversionSession::CloseAnswer> answers;
    s.converter->beforeTable = [&](int table) {
        EXPECT_TRUE(s.session->Converting());
        if (table == 0) {
            desktop.queueAnswer(Answer::No);
            answers.push_back(s.session->CloseQuery("C"));
        }
        if (table == 1) {
            desktop.queueAnswer(Answer::Yes);
            answers.push_back(s.session->CloseQuery("C"));
        }
    };
    s.session->SetCommandLine("a?b?c?d?e?");
    EXPECT_EQ(s.session->Activate(nullptr, nullptr), ConversionSession::Activation::Converted);
    EXPECT_EQ(answers, (std::vector<ConversionSession::CloseAnswer>{
                           ConversionSession::CloseAnswer::Stay,
                           ConversionSession::CloseAnswer::CloseAfterConversion}));
    EXPECT_EQ(s.record->cancelCalls, 1);
    // The cancel stopped the conversion before its third table.
    EXPECT_EQ(s.record->tablesProcessed, 2);
    // Once Convert has returned, closing needs no question.
    const auto asked = desktop.messages.size();
    EXPECT_EQ(s.session->CloseQuery("C"), ConversionSession::CloseAnswer::Close);
    EXPECT_EQ(desktop.messages.size(), asked);
}

TEST(ConversionSession, CloseBeforeAnyConversionAsksToo) {
    RecordingDesktop desktop;
    Session s;
    desktop.queueAnswer(Answer::No);
    EXPECT_EQ(s.session->CloseQuery("C"), ConversionSession::CloseAnswer::Stay);
    desktop.queueAnswer(Answer::Yes);
    EXPECT_EQ(s.session->CloseQuery("C"), ConversionSession::CloseAnswer::Close);
    EXPECT_EQ(s.record->cancelCalls, 1);
}

TEST(ConversionSession, ExceptionFromConvertLeavesTheWindowUnfinished) {
    RecordingDesktop desktop;
    Session s(3);
    s.converter->throwMessage = "broken";
    s.session->SetCommandLine("a?b?c?d?e?");
    EXPECT_THROW(s.session->Activate(nullptr, nullptr), std::runtime_error);
    EXPECT_FALSE(s.session->Finished());
    EXPECT_FALSE(s.session->Converting());
    // So a close request asks, and allows the close at once on Yes.
    desktop.queueAnswer(Answer::Yes);
    EXPECT_EQ(s.session->CloseQuery("C"), ConversionSession::CloseAnswer::Close);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(text::cp1251ToUtf8(desktop.messages[0].text), "Прервать операцию?");
}
