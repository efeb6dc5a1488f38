#pragma once
// The real converter behind the window's Converter interface: holds the program's log and the
// one TKonvika by value (constructing it loads the reader library and throws when it cannot).
#include "app/Converter.h"
#include "app/Tlogfile.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"

namespace app {

class KonvikaConverter final : public Converter {
public:
    KonvikaConverter() : FConverter(platform::programFolder(), FLog) {}

    bool Convert(const std::string& baseCode, const std::string& priceFile,
                 const std::string& outFile, bool logging, const std::string& secondUnitsDir,
                 const std::string& firstUnitsDir, engine::ProgressBar* bar,
                 engine::ConversionWindow* window) override {
        return FConverter.Convert(baseCode, priceFile, outFile, logging, secondUnitsDir,
                                  firstUnitsDir, bar, window);
    }
    void CancelConversion() override { FConverter.CancelConversion(); }
    void SetDialogFactory(engine::CorrespondenceDialogFactory* factory) override {
        FConverter.SetDialogFactory(factory);
    }

private:
    TLogFile FLog;  // declared first: the converter closes it last, when it is destroyed
    TKonvika FConverter;
};

}  // namespace app
