#pragma once
// The correspondence dialog "Выбор соответствия": asked by the converter when it cannot work
// out a record itself, either for the ОРН code (mode 1) or for the ОРН unit of measure with a
// price coefficient (mode 2, picked from the units table with a search by name). The user can
// also skip the record, skip the rest of the collection, or cancel the conversion. One dialog
// serves one question; SelectPerehodFactory makes them for the converter.
#include <QDialog>

#include <memory>
#include <string>

#include "dbf/Wdbffile.h"
#include "engine/ConversionUi.h"

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTextEdit;
class UnitsTableModel;

class TSelectPerehodForm final : public QDialog, public engine::CorrespondenceDialog {
    Q_OBJECT

public:
    explicit TSelectPerehodForm(QWidget* parent = nullptr);
    ~TSelectPerehodForm() override;

    // engine::CorrespondenceDialog; texts are Windows-1251.
    void SetQuestion(const std::string& baseCode, const std::string& message,
                     const std::string& code, const std::string& unit, const std::string& name,
                     const std::string& secondUnitsDir,
                     const std::string& firstUnitsDir) override;
    void SetMode(int mode) override;
    int ShowModal() override;
    bool IsSkipSbornik() const override { return FSkipSbornik; }
    void GetAnswer(std::string& code, std::string& unitCode,
                   std::string& coefficient) const override;

    // Fills the controls on the first activation (ShowModal calls it once the dialog runs).
    void FormActivate();
    // Every attempt to end the dialog with a modal result goes through the close query.
    void TryClose(int modalResult);
    bool UnitsTableOpen() const { return static_cast<bool>(EdIzmTable); }
    UnitsTableModel* UnitsModel() const { return FModel.get(); }
    // The units table's tag and its list of index tags.
    static const SIndexDesc kUnitsIndexes[];

    // Controls, in the order of the form's layout.
    QTextEdit* memoMessage = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* pnKOD_SP = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* pnEdIzmSPName = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* memoSPName = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* eKOD_ORN = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* eK_Priv = nullptr;
    QTableView* dbgMain = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* eSearchString = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* NextButton = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

    static constexpr int kClientWidth = 590;
    static constexpr int kClientHeight = 487;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void BuildLayout();
    bool OpenFile(const std::string& path);
    bool SetupGrid();
    bool FormCloseQuery(int modalResult);
    void FormDestroy();
    void eSearchStringChange();
    void dbgMainDblClick();
    void BitBtn1Click();
    void ShowCurrentRecord();
    void UserMovedTo(int row);
    std::string Caption() const;
    void ShowDialogMessage(const std::string& text) const;
    template <typename Action> void Guarded(Action&& action);

    std::string FDescription;
    std::string FColumnTitle;
    std::string FKodSP;
    std::string FMessage;
    std::string FEdIzmSP;
    std::string FBaseCode;
    std::string FNameSP;
    std::string FSecondUnitsDir;
    std::string FFirstUnitsDir;
    bool FSkipSbornik = false;
    bool FFirstActivate = true;
    int FAskMode = 0;

    TableSlot EdIzmTable;
    std::unique_ptr<UnitsTableModel> FModel;
    bool FClosing = false;
};

// Makes one dialog per question, owned by the converter for that question.
class SelectPerehodFactory final : public engine::CorrespondenceDialogFactory {
public:
    std::unique_ptr<engine::CorrespondenceDialog> CreateDialog() override;
    void ProcessMessages() override;
};

namespace dialog {
// Where an unexpected error inside one of the dialog's handlers is reported; the program sets
// its standard exception report. Without one the error is shown in a plain message box.
using ErrorReport = void (*)(const std::string& message);
void SetErrorReport(ErrorReport report);
}  // namespace dialog
