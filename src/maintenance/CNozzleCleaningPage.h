#pragma once

#include "app/CPage.h"
#include "maintenance/CNozzleCleaning.h"

class QLabel;
class QPushButton;

// Page 2: one picture button prints a nozzle check pattern, the other runs a
// head cleaning on the selected printer. The decisions and the printer
// conversation are CNozzleCleaning's; the page shows the busy dialog, the
// wait cursor and the outcome's message.
class CNozzleCleaningPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kPageIndex = 2;
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 262;

    // Control ids.
    static constexpr int kNozzleGroup = 1160;
    static constexpr int kNozzleButton = 1038;
    static constexpr int kNozzleText = 1040;
    static constexpr int kCleaningGroup = 1161;
    static constexpr int kCleaningButton = 1039;
    static constexpr int kCleaningText = 1041;
    static constexpr int kHelpButton = 1003;
    // The manual topic Help opens.
    static constexpr int kHelpTopic = 0;

    explicit CNozzleCleaningPage(CMainWindow* mainWindow);

    QPushButton* NozzleCheckButton() const { return m_nozzleButton; }
    QPushButton* HeadCleaningButton() const { return m_cleaningButton; }
    QPushButton* HelpButton() const { return m_help; }

    // What the two buttons do.
    void RunNozzleCheck();
    void RunHeadCleaning();

    bool OnPageShow() override;
    bool TabLeavesPage() const override { return true; }

private:
    void ShowOutcome(CNozzleCleaning::Action action, CNozzleCleaning::Outcome outcome);
    void ShowMessageOf(const CNozzleCleaning::Message& message);

    QPushButton* m_nozzleButton = nullptr;
    QPushButton* m_cleaningButton = nullptr;
    QPushButton* m_help = nullptr;
    // One action at a time: a press while one runs (its waits keep the
    // window alive) is ignored.
    bool m_running = false;
};
