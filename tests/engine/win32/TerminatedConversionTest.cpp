// A conversion ended with TerminateProcess (the task manager, a power-off of the process) while
// the correspondence dialog asks its third question: the two answers given before are in the
// code mapping table, and the table opens and reads back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "platform/win32/WideText.h"
#include "tests/engine/ConversionFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

// After the engine's headers: windows.h makes CreateDialog a macro.
#include "tests/support/win32/HelperProcess.h"
#undef CreateDialog

using engine_testing::DialogAnswer;
using engine_testing::ProgramFolder;
using engine_testing::readRows;
using engine_testing::ScriptedDialogs;
using testing_support::win32::HelperProcess;
using testing_support::win32::helperVariable;

namespace {

// Answers like ScriptedDialogs; on the third question it reports the program folder and
// waits to be terminated.
class StallingDialogs : public ScriptedDialogs {
public:
    std::unique_ptr<engine::CorrespondenceDialog> CreateDialog() override {
        if (++created_ == 3) {
            testing_support::writeFileBytes(readyFile, programFolder);
            ::Sleep(INFINITE);
        }
        return ScriptedDialogs::CreateDialog();
    }
    std::string readyFile, programFolder;

private:
    int created_ = 0;
};

TEST(TerminatedConversionHelper, DISABLED_ConvertsUntilTheThirdQuestion) {
    ProgramFolder folder;  // left behind: a terminated process removes nothing
    folder.writeUnits({{"м3", "1"}});
    testing_support::RecordingDesktop desktop;
    StallingDialogs dialogs;
    dialogs.readyFile = helperVariable("KONVIKA_READY_FILE");
    dialogs.programFolder = folder.root();
    dialogs.answers = {DialogAnswer{engine::kModalOk, false, "С101-0001-5", "", ""},
                       DialogAnswer{engine::kModalOk, false, "С101-0001-6", "", ""}};
    TLogFile log;
    TKonvika converter(folder.root(), log);
    converter.SetDialogFactory(&dialogs);
    converter.Convert("40",
                      folder.writeSource("prices.txt", {{"4@12-34@Кладка стен@м3@@1@2",
                                                         "4@12-35@Штукатурка@м3@@3@4",
                                                         "4@12-36@Окраска@м3@@5@6"}}),
                      folder.outputPath(), true, "", folder.unitsFolder(), nullptr, nullptr);
    FAIL() << "the third question did not come";
}

TEST(TerminatedConversion, LosesNoAnswerStoredBeforeIt) {
    testing_support::TempFolder control;
    const std::string ready = control.file("ready");
    HelperProcess conversion("TerminatedConversionHelper.DISABLED_ConvertsUntilTheThirdQuestion",
                             {{"KONVIKA_READY_FILE", ready}});
    ASSERT_TRUE(conversion.started());
    ASSERT_TRUE(conversion.waitForFile(ready, 60000));
    ASSERT_TRUE(conversion.terminate());
    const std::string root = testing_support::readFileBytes(ready);
    ASSERT_FALSE(root.empty());

    const auto rows = readRows(platform::joinPath(root, {"Morvel", "TKonvika", "kodper.dbf"}),
                               {"NAME_SP", "KOD_ORN"});
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{
                        {"Кладка стен"_w, "С101-0001-5"_w}, {"Штукатурка"_w, "С101-0001-6"_w}}));
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(platform::win32::widen(root)), error);
}

}  // namespace
