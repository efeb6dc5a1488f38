#include "app/ConversionSession.h"

#include <array>
#include <utility>

#include "platform/Desktop.h"
#include "text/CodePages.h"

namespace app {

std::string CancelQuestion() { return "Прервать операцию?"_w; }

ConversionSession::ConversionSession(std::unique_ptr<Converter> converter)
    : FConverter(std::move(converter)) {}

void ConversionSession::SetCommandLine(const std::string& commandLine) {
    FCommandLine = commandLine;
}

ConversionSession::Activation ConversionSession::Activate(engine::ProgressBar* bar,
                                                          engine::ConversionWindow* window) {
    if (!FFirstActivate) return Activation::NothingToDo;
    FFirstActivate = false;
    // An empty command line leaves no parameters, which is the silent end below.
    FParser.ParseCommandLine(FCommandLine, kSeparator);
    if (FParser.GetParamCount() != kParameterCount) return Activation::WrongParameters;
    std::array<std::string, kParameterCount> params;
    for (int i = 0; i < kParameterCount; ++i) FParser.GetParamByIdx(i, params[i]);

    // Cleared by the unwinding below too, so that a close request after an exception that
    // escaped Convert still asks before it lets the window go.
    struct ConvertingFlag {
        bool& flag;
        explicit ConvertingFlag(bool& f) : flag(f) { flag = true; }
        ~ConvertingFlag() { flag = false; }
    } converting(FConverting);
    FConverter->Convert(params[0], params[1], params[2], true, params[3], params[4], bar,
                        window);
    FFinished = true;
    return Activation::Converted;
}

bool ConversionSession::AskCancel(const std::string& caption) {
    if (!platform::askYesNo(caption, CancelQuestion())) return false;
    FConverter->CancelConversion();
    return true;
}

ConversionSession::CloseAnswer ConversionSession::CloseQuery(const std::string& caption) {
    if (FFinished) return CloseAnswer::Close;
    if (!AskCancel(caption)) return CloseAnswer::Stay;
    return FConverting ? CloseAnswer::CloseAfterConversion : CloseAnswer::Close;
}

}  // namespace app
