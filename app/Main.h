#pragma once
// The progress window: a small always-on-top tool window with a label, a progress bar and the
// "Отменить" button. On its first activation it runs the whole conversion (ConversionSession
// does the work); when the conversion returns it closes itself and the program ends.
#include <QWidget>

#include <memory>
#include <string>

#include "app/ConversionSession.h"
#include "engine/ConversionUi.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

class TMainForm : public QWidget, public engine::ConversionWindow {
    Q_OBJECT

public:
    explicit TMainForm(std::unique_ptr<app::Converter> converter, QWidget* parent = nullptr);
    ~TMainForm() override;

    void SetCommandLine(const std::string& commandLine);

    // What the converter uses between tables.
    void Repaint() override;
    void ProcessMessages() override;

    QFrame* ProgressPanel1 = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* btbCancel = nullptr;

    app::ConversionSession& Session() { return FSession; }

    static constexpr int kClientWidth = 414;
    static constexpr int kClientHeight = 100;

signals:
    // The program should end (the conversion has returned, or there is nothing to convert).
    void programEnds();

public slots:
    void FormActivate();
    void btbCancelClick();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class BarAdapter;
    void BuildLayout();
    void EndProgram();
    void StartConversionOnce();
    std::string Caption() const;

    std::unique_ptr<BarAdapter> FBar;
    app::ConversionSession FSession;
    bool FEndAfterConversion = false;
    bool FActivationQueued = false;
};
