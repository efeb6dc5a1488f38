#include "dialog/CorrespondenceQuestion.h"

#include <exception>

#include "dbf/Table.h"
#include "engine/ConversionUi.h"
#include "platform/Desktop.h"
#include "text/CodePages.h"
#include "text/Wastring.h"
#include "units/Wedizm.h"

namespace dialog {

CorrespondenceQuestion::CorrespondenceQuestion()
    : FDescription("Выбор соответствия"_w), FColumnTitle("Название Единицы измерения"_w) {}

CorrespondenceQuestion::~CorrespondenceQuestion() {
    FUnits.reset();
    if (!FUnitsTable) return;
    try {
        WDbfFile().CloseTable(FUnitsTable);
    } catch (const std::exception&) {
        // Closing a table we only read cannot lose data; a destructor must not throw.
        FUnitsTable.reset();
    }
}

void CorrespondenceQuestion::SetQuestion(const std::string& baseCode, const std::string& message,
                                         const std::string& code, const std::string& unit,
                                         const std::string& name,
                                         const std::string& secondUnitsDir,
                                         const std::string& firstUnitsDir) {
    FBaseCode = baseCode;
    FMessage = message;
    FKodSP = text::trimmed(code);
    FEdIzmSP = text::trimmed(unit);
    FNameSP = name;
    FSecondUnitsDir = secondUnitsDir;
    FFirstUnitsDir = firstUnitsDir;
}

void CorrespondenceQuestion::SetMode(int mode) { FAskMode = mode; }

template <typename Action>
bool CorrespondenceQuestion::Guarded(Action&& action) {
    // An error of the dBASE engine inside a handler must not unwind through a window's message
    // loop: the standard exception report shows it and the user goes on.
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        platform::setCursor(platform::CursorShape::Arrow);
        platform::desktop().reportException(error.what());
    }
    return false;
}

CorrespondenceQuestion::Activation CorrespondenceQuestion::Activate() {
    if (!FFirstActivate) return Activation::Repeated;
    FFirstActivate = false;
    platform::setCursor(platform::CursorShape::Busy);
    bool opened = false;
    Guarded([&] {
        opened = OpenFile(WEdIzm(FBaseCode, FFirstUnitsDir, FSecondUnitsDir).GetFileName());
    });
    if (!opened) {
        platform::setCursor(platform::CursorShape::Arrow);
        return Activation::Failed;
    }
    FFilled = true;
    FCodeText = FKodSP;
    FCoefficientText = "1.0";
    FSearchText.clear();
    if (FAskMode == engine::kAskUnit) SetSearchText(FEdIzmSP);
    platform::setCursor(platform::CursorShape::Arrow);
    return Activation::Filled;
}

bool CorrespondenceQuestion::OpenFile(const std::string& path) {
    WDbfFile dbf;
    if (!dbf.OpenIndexedTable(FUnitsTable, path, true, true, UnitsList::kIndexes,
                              UnitsList::kNameTag)) {
        return false;
    }
    FUnitsTable->first();
    FUnits = std::make_unique<UnitsList>(*FUnitsTable);
    if (FUnitsTable->recordCount() > 0) return true;
    platform::showError(Caption(), "OpenFile: Файл с единицами измерения пустой!"_w, true);
    return true;
}

bool CorrespondenceQuestion::CodeEnabled() const {
    return FFilled && FAskMode == engine::kAskCode;
}

bool CorrespondenceQuestion::UnitEnabled() const {
    return FFilled && FAskMode == engine::kAskUnit;
}

int CorrespondenceQuestion::SetSearchText(const std::string& text) {
    FSearchText = text;
    if (!FUnits) return -1;
    Guarded([&] { FUnits->SeekNearest(FSearchText); });
    return CurrentRow();
}

int CorrespondenceQuestion::RowCount() const { return FUnits ? FUnits->RowCount() : 0; }

std::string CorrespondenceQuestion::RowText(int row) const {
    return FUnits ? FUnits->RowText(row) : std::string();
}

int CorrespondenceQuestion::CurrentRow() const { return FUnits ? FUnits->CurrentRow() : -1; }

void CorrespondenceQuestion::SetCurrentRow(int row) {
    if (FUnits) Guarded([&] { FUnits->MoveToRow(row); });
}

CloseDecision CorrespondenceQuestion::Accept() { return RequestClose(engine::kModalOk); }

CloseDecision CorrespondenceQuestion::Skip() { return RequestClose(engine::kModalIgnore); }

CloseDecision CorrespondenceQuestion::SkipSbornik() {
    FSkipSbornik = true;
    return RequestClose(engine::kModalIgnore);
}

CloseDecision CorrespondenceQuestion::Cancel() { return RequestClose(engine::kModalCancel); }

CloseDecision CorrespondenceQuestion::RequestClose(int modalResult) {
    // A second request while the close query's message box is open waits for that answer.
    if (FClosing) return CloseDecision{};
    FClosing = true;
    CloseDecision decision;
    Guarded([&] { decision = CloseQuery(modalResult); });
    FClosing = false;
    return decision;
}

CloseDecision CorrespondenceQuestion::CloseQuery(int modalResult) {
    CloseDecision decision;
    decision.modalResult = modalResult;
    if (modalResult == engine::kModalCancel) {
        decision.close = platform::askYesNoCancel(Caption(), "Отменить конвертацию?"_w, true) ==
                         platform::Answer::Yes;
        return decision;
    }
    if (modalResult == engine::kModalIgnore) {
        decision.close = true;
        return decision;
    }
    AnswerInput input;
    input.mode = FAskMode;
    input.unitsTableOpen = UnitsTableOpen();
    input.unitsListEmpty = RowCount() == 0;
    input.codeEnabled = CodeEnabled();
    input.code = FCodeText;
    input.coefficientEnabled = UnitEnabled();
    input.coefficient = FCoefficientText;
    input.baseCode = FBaseCode;
    decision.problem = CheckAnswer(input);
    if (decision.problem == AnswerProblem::None) {
        decision.close = true;
        return decision;
    }
    platform::showError(Caption(), AnswerProblemMessage(decision.problem), true);
    switch (decision.problem) {
        case AnswerProblem::CodeMissing:
        case AnswerProblem::CodeInvalid:
            decision.focus = Control::Code;
            break;
        case AnswerProblem::CoefficientMissing:
        case AnswerProblem::CoefficientInvalid:
            decision.focus = Control::Coefficient;
            break;
        default:
            break;
    }
    return decision;
}

void CorrespondenceQuestion::GetAnswer(std::string& code, std::string& unitCode,
                                       std::string& coefficient) const {
    code = text::trimmed(FCodeText);
    // No unit can be read from a table that is not open or stands on no record.
    unitCode = FUnits ? FUnits->CurrentCode() : std::string();
    coefficient = text::trimmed(FCoefficientText);
}

}  // namespace dialog
