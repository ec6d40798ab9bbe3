#pragma once

#include "app/CPage.h"
#include "status/CPrinterStatus.h"

#include <memory>

class CTextDisplayDialog;
class QPushButton;

// Page 6: Display Job shows the printer's last jobs in the job text window;
// Print Job, Print Custom Config. and Print Status make the printer print a
// sheet. The decisions and the printer conversation are CPrinterStatus's;
// the page shows the busy dialog, the wait cursor, the job text window and
// the outcome's message.
class CPrinterStatusPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kPageIndex = 6;
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 320;

    // Control ids.
    static constexpr int kJobGroup = 1042;
    static constexpr int kDisplayJobButton = 1043;
    static constexpr int kDisplayJobText = 1044;
    static constexpr int kPrintJobButton = 1002;
    static constexpr int kPrintJobText = 1045;
    static constexpr int kCustomGroup = 1046;
    static constexpr int kPrintCustomButton = 1004;
    static constexpr int kPrintCustomText = 1048;
    static constexpr int kStatusGroup = 1047;
    static constexpr int kPrintStatusButton = 1005;
    static constexpr int kPrintStatusText = 1049;
    static constexpr int kHelpButton = 1003;
    static constexpr int kHelpTopic = 0;
    // The job text window's size when it first opens.
    static constexpr QSize kJobWindowSize{560, 340};

    explicit CPrinterStatusPage(CMainWindow* mainWindow);
    ~CPrinterStatusPage() override;

    QPushButton* DisplayJobButton() const { return m_displayJob; }
    QPushButton* PrintJobButton() const { return m_printJob; }
    QPushButton* PrintCustomButton() const { return m_printCustom; }
    QPushButton* PrintStatusButton() const { return m_printStatus; }
    QPushButton* HelpButton() const { return m_help; }
    // The job text window: a top-level window of its own (no owner), hidden
    // until Display Job shows it.
    CTextDisplayDialog* JobWindow() const { return m_jobWindow.get(); }

    void RunDisplayJob();
    void RunPrintSheet(CPrinterStatus::Sheet sheet);
    // Puts a report (CR LF line ends) into the job text window and shows it
    // with the keyboard focus: centred on the page the first time, where
    // the operator left it afterwards.
    void ShowReport(const QString& report);

    bool OnPageShow() override;
    void OnPageLeave() override;
    bool TabLeavesPage() const override { return true; }

private:
    void ShowMessageOf(const CPrinterStatus::Message& message);

    QPushButton* m_displayJob = nullptr;
    QPushButton* m_printJob = nullptr;
    QPushButton* m_printCustom = nullptr;
    QPushButton* m_printStatus = nullptr;
    QPushButton* m_help = nullptr;
    std::unique_ptr<CTextDisplayDialog> m_jobWindow;
    // Centred on the page the first time only; afterwards it stays where
    // the operator put it.
    bool m_jobWindowPlaced = false;
    // One action at a time: a press while one runs is ignored.
    bool m_running = false;
};
