#pragma once
// What the progress window does, without the window: it holds the command line, the parser and
// the converter, starts the one conversion on the first activation, and answers the cancel
// button and every close request. TMainForm forwards its events here; tests drive it directly.
#include <memory>
#include <string>

#include "app/Converter.h"
#include "app/Tcommandlineparser.h"

namespace app {

class ConversionSession {
public:
    enum class Activation {
        NothingToDo,     // not the first activation: the conversion has been started before
        WrongParameters, // the command line does not hold exactly five parameters: end silently
        Converted,       // Convert has returned: the window closes
    };
    enum class CloseAnswer {
        Close,               // close and end the program
        CloseAfterConversion,// the user cancelled while converting: hide now, end when Convert returns
        Stay,                // the user wants the conversion to go on
    };

    explicit ConversionSession(std::unique_ptr<Converter> converter);

    void SetCommandLine(const std::string& commandLine);
    const std::string& CommandLine() const { return FCommandLine; }

    // Runs the conversion, once; its result is not used (the log tells).
    Activation Activate(engine::ProgressBar* bar, engine::ConversionWindow* window);
    // The cancel button: asks "Прервать операцию?"; Yes sets the converter's cancel flag.
    // True when the user said Yes.
    bool AskCancel(const std::string& caption);
    // Every request to close the window.
    CloseAnswer CloseQuery(const std::string& caption);

    bool Converting() const { return FConverting; }
    // The window's result is OK: Convert has returned, the window may close without a question.
    bool Finished() const { return FFinished; }
    Converter& converter() { return *FConverter; }

    static constexpr int kParameterCount = 5;
    static constexpr char kSeparator = '?';

private:
    TCommandLineParser FParser;
    std::unique_ptr<Converter> FConverter;
    std::string FCommandLine;
    bool FFirstActivate = true;
    bool FConverting = false;
    bool FFinished = false;
};

// The question of the cancel button and the close box.
std::string CancelQuestion();

}  // namespace app
