#pragma once
// The Qt form of the correspondence dialog "Выбор соответствия": lays out its controls, shows
// the texts of dialog::CorrespondenceQuestion and forwards every edit, key and button to it;
// the question decides what they mean. One dialog serves one question; SelectPerehodFactory
// makes them for the converter.
#include <QDialog>

#include <memory>
#include <string>

#include "dialog/CorrespondenceQuestion.h"
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
    bool IsSkipSbornik() const override { return FQuestion.IsSkipSbornik(); }
    void GetAnswer(std::string& code, std::string& unitCode,
                   std::string& coefficient) const override;

    // Fills the controls on the first activation (ShowModal calls it once the dialog runs).
    void FormActivate();
    // Every attempt to end the dialog with a modal result goes through the close query.
    void TryClose(int modalResult);
    bool UnitsTableOpen() const { return FQuestion.UnitsTableOpen(); }
    UnitsTableModel* UnitsModel() const { return FModel.get(); }
    const dialog::CorrespondenceQuestion& Question() const { return FQuestion; }

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
    void SetupGrid();
    void Apply(const dialog::CloseDecision& decision);
    void eSearchStringChange();
    void ShowCurrentRecord();

    dialog::CorrespondenceQuestion FQuestion;
    std::unique_ptr<UnitsTableModel> FModel;
};

// Makes one dialog per question, owned by the converter for that question.
class SelectPerehodFactory final : public engine::CorrespondenceDialogFactory {
public:
    std::unique_ptr<engine::CorrespondenceDialog> CreateDialog() override;
    void ProcessMessages() override;
};
