#pragma once
// What the correspondence dialog "Выбор соответствия" does, without any window: the question
// (code mode or unit mode), the texts of its boxes, the units list with its search and chosen
// row, the checks made before an answer is accepted, what each button means, and the answer.
// A front end (the Qt form, the Win32 dialog) lays out controls, shows these texts and forwards
// every edit and button to it; message boxes go through the platform's desktop. Texts are
// Windows-1251.
#include <memory>
#include <string>

#include "dbf/Wdbffile.h"
#include "dialog/AnswerChecks.h"
#include "dialog/UnitsList.h"

namespace dialog {

// The controls that take the focus after a refused answer.
enum class Control { None, Code, Coefficient };

// What one request to end the dialog came to.
struct CloseDecision {
    bool close = false;
    int modalResult = 0;                   // engine::kModalOk, kModalCancel or kModalIgnore
    AnswerProblem problem = AnswerProblem::None;
    Control focus = Control::None;         // where the focus goes when the dialog stays
};

class CorrespondenceQuestion {
public:
    CorrespondenceQuestion();
    ~CorrespondenceQuestion();  // closes the units table
    CorrespondenceQuestion(const CorrespondenceQuestion&) = delete;
    CorrespondenceQuestion& operator=(const CorrespondenceQuestion&) = delete;

    // The converter's question: code and unit are stored trimmed.
    void SetQuestion(const std::string& baseCode, const std::string& message,
                     const std::string& code, const std::string& unit, const std::string& name,
                     const std::string& secondUnitsDir, const std::string& firstUnitsDir);
    void SetMode(int mode);  // engine::kAskCode or engine::kAskUnit

    enum class Activation {
        Repeated,  // not the first activation: nothing changes
        Filled,    // the units table is open and the boxes hold their first texts
        Failed,    // the table could not be opened (its message has been shown): the front end
                   // requests its own closing, which asks "Отменить конвертацию?"
    };
    // The first activation of the dialog opens the units table (busy cursor meanwhile) and
    // fills the boxes; in unit mode the search starts on the source unit.
    Activation Activate();
    bool Filled() const { return FFilled; }

    // The fixed texts.
    const std::string& Caption() const { return FDescription; }
    const std::string& ColumnTitle() const { return FColumnTitle; }
    const std::string& SourceCode() const { return FKodSP; }
    const std::string& SourceUnit() const { return FEdIzmSP; }
    const std::string& SourceName() const { return FNameSP; }
    const std::string& Message() const { return FMessage; }
    int Mode() const { return FAskMode; }
    // Which boxes take input: none before a successful first activation.
    bool CodeEnabled() const;
    bool UnitEnabled() const;  // coefficient, units list and search

    // The boxes, as the user edits them.
    const std::string& CodeText() const { return FCodeText; }
    void SetCodeText(const std::string& text) { FCodeText = text; }
    const std::string& CoefficientText() const { return FCoefficientText; }
    void SetCoefficientText(const std::string& text) { FCoefficientText = text; }
    const std::string& SearchText() const { return FSearchText; }
    // Moves the chosen row to the nearest unit; returns it (-1 with no row).
    int SetSearchText(const std::string& text);

    // The units list, for drawing rows by index; the current row is the chosen unit.
    bool UnitsTableOpen() const { return static_cast<bool>(FUnitsTable); }
    int RowCount() const;
    std::string RowText(int row) const;
    int CurrentRow() const;
    void SetCurrentRow(int row);
    // The list itself, for a view that draws it; null until the table is open.
    const UnitsList* Units() const { return FUnits.get(); }

    // What the buttons and keys mean. Each asks or checks through the desktop and says whether
    // the dialog ends, and with which modal result.
    CloseDecision Accept();       // "Принять", Enter in a box or the list, double click
    CloseDecision Skip();         // "Пропустить", Escape
    CloseDecision SkipSbornik();  // "Пропустить сборник"
    CloseDecision Cancel();       // "Отмена", the close box, Alt+F4
    CloseDecision RequestClose(int modalResult);

    bool IsSkipSbornik() const { return FSkipSbornik; }
    // The code and coefficient boxes trimmed, and the code of the chosen unit (empty when the
    // table is not open or has no records).
    void GetAnswer(std::string& code, std::string& unitCode, std::string& coefficient) const;

private:
    bool OpenFile(const std::string& path);
    CloseDecision CloseQuery(int modalResult);
    template <typename Action> bool Guarded(Action&& action);

    const std::string FDescription;
    const std::string FColumnTitle;
    std::string FKodSP;
    std::string FMessage;
    std::string FEdIzmSP;
    std::string FBaseCode;
    std::string FNameSP;
    std::string FSecondUnitsDir;
    std::string FFirstUnitsDir;
    bool FSkipSbornik = false;
    bool FFirstActivate = true;
    bool FFilled = false;
    bool FClosing = false;
    int FAskMode = 0;

    std::string FCodeText;
    std::string FCoefficientText;
    std::string FSearchText;

    TableSlot FUnitsTable;
    std::unique_ptr<UnitsList> FUnits;
};

}  // namespace dialog
