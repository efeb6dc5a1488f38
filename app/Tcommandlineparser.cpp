#include "app/Tcommandlineparser.h"

#include "platform/Desktop.h"
#include "text/CodePages.h"

TCommandLineParser::TCommandLineParser() : FDescription("TCommandLineParser") {}

bool TCommandLineParser::ParseCommandLine(const std::string& text, char separator) {
    if (text.empty() || separator == '\0') return false;
    FParams.clear();
    std::string piece;
    for (const char c : text) {
        if (c == separator) {
            FParams.push_back(std::move(piece));
            piece.clear();
        } else {
            piece += c;
        }
    }
    return true;
}

int TCommandLineParser::GetParamCount() const { return static_cast<int>(FParams.size()); }

bool TCommandLineParser::GetParamByIdx(int position, std::string& param) const {
    if (position < 0 || position >= GetParamCount()) {
        platform::showError(FDescription,
                            "GetParamByIdx: Заданный индекс превышает количество параметров!"_w);
        return false;
    }
    param = FParams[static_cast<std::size_t>(position)];
    return true;
}
