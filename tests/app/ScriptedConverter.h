#pragma once
// A converter for the window's tests: Convert walks a number of pretend tables the way the
// real driver does (bar position, repaint, message loop, cancel check before each table) and
// lets the test act between tables; every call is recorded.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Converter.h"

namespace testing_support {

struct ConverterRecord {
    int convertCalls = 0;
    std::vector<std::string> params;  // the five texts of the last call
    bool logging = false;
    bool hadBar = false;
    bool hadWindow = false;
    int cancelCalls = 0;
    std::vector<int> positions;        // bar positions set
    int tablesProcessed = 0;
    bool returned = false;             // Convert has returned
    bool destroyed = false;
    engine::CorrespondenceDialogFactory* dialogs = nullptr;
};

class ScriptedConverter final : public app::Converter {
public:
    explicit ScriptedConverter(std::shared_ptr<ConverterRecord> record, int tables = 3)
        : record_(std::move(record)), tables_(tables) {}
    ~ScriptedConverter() override { record_->destroyed = true; }

    // Runs while the message loop turns before table i (after ProcessMessages).
    std::function<void(int table)> beforeTable;
    // Thrown from Convert after the first table, when set.
    std::string throwMessage;
    bool throwOther = false;

    bool Convert(const std::string& baseCode, const std::string& priceFile,
                 const std::string& outFile, bool logging, const std::string& secondUnitsDir,
                 const std::string& firstUnitsDir, engine::ProgressBar* bar,
                 engine::ConversionWindow* window) override {
        ++record_->convertCalls;
        record_->params = {baseCode, priceFile, outFile, secondUnitsDir, firstUnitsDir};
        record_->logging = logging;
        record_->hadBar = bar != nullptr;
        record_->hadWindow = window != nullptr;
        cancel_ = false;
        for (int i = 0; i < tables_ && !cancel_; ++i) {
            if (bar != nullptr) {
                bar->SetPosition(i);
                record_->positions.push_back(i);
            }
            if (window != nullptr) {
                window->Repaint();
                window->ProcessMessages();
            }
            if (beforeTable) beforeTable(i);
            if (i == 1 && throwOther) throw 42;
            if (i == 1 && !throwMessage.empty()) throw std::runtime_error(throwMessage);
            ++record_->tablesProcessed;
        }
        record_->returned = true;
        return !cancel_;
    }
    void CancelConversion() override {
        ++record_->cancelCalls;
        cancel_ = true;
    }
    void SetDialogFactory(engine::CorrespondenceDialogFactory* factory) override {
        record_->dialogs = factory;
    }

private:
    std::shared_ptr<ConverterRecord> record_;
    int tables_;
    bool cancel_ = false;
};

}  // namespace testing_support
