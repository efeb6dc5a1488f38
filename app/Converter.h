#pragma once
// What the progress window needs of the converter: one conversion with the five parameters,
// the cancel flag, and where its questions go. The program hands the window the real converter
// (KonvikaConverter); tests hand it a scripted one.
#include <string>

#include "engine/ConversionUi.h"

namespace app {

class Converter {
public:
    virtual ~Converter() = default;
    virtual bool Convert(const std::string& baseCode, const std::string& priceFile,
                         const std::string& outFile, bool logging,
                         const std::string& secondUnitsDir, const std::string& firstUnitsDir,
                         engine::ProgressBar* bar, engine::ConversionWindow* window) = 0;
    virtual void CancelConversion() = 0;
    virtual void SetDialogFactory(engine::CorrespondenceDialogFactory* factory) = 0;
};

}  // namespace app
