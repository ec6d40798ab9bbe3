#pragma once

#include "app/CPage.h"
#include "app/CPaintedTexts.h"
#include "firmware/CFirmwareUpdate.h"

class QLabel;
class QPushButton;

// Page 7: choose a firmware image, compare its version with the printer's
// and send it. The decisions and the printer conversation are
// CFirmwareUpdate's; the page shows the versions, the status text, the busy
// dialogs and the outcome's message.
class CFirmwareUpdatePage : public CPage, public CPaintedTexts {
    Q_OBJECT
public:
    static constexpr int kPageIndex = 7;
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 278;

    // Control ids.
    static constexpr int kFileNameLabel = 1059;
    static constexpr int kFileName = 1060;
    static constexpr int kBrowseButton = 1001;
    static constexpr int kVersionGroup = 1061;
    static constexpr int kPrinterVersionLabel = 1062;
    static constexpr int kFileVersionLabel = 1063;
    static constexpr int kPrinterVersion = 1064;
    static constexpr int kFileVersion = 1065;
    static constexpr int kStatusText = 1138;
    static constexpr int kUpdateButton = 1066;
    static constexpr int kHelpButton = 1003;
    static constexpr int kHelpTopic = 0;

    // Where the status text is drawn.
    static constexpr int kStatusLeft = 60;
    static constexpr int kStatusTop = 183;
    static constexpr int kStatusRight = 170;
    static constexpr int kStatusBottom = 200;

    // The remembered folder of the last chosen image.
    static constexpr const char* kFolderValue = "FwPath";
    static constexpr const char* kFileFilter = "UPG File(*.UPG)|*.UPG||";

    explicit CFirmwareUpdatePage(CMainWindow* mainWindow);

    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* UpdateButton() const { return m_update; }
    QPushButton* HelpButton() const { return m_help; }
    QLabel* FileNameField() const { return m_fileName; }
    QLabel* PrinterVersionField() const { return m_printerVersion; }
    QLabel* FileVersionField() const { return m_fileVersion; }
    // The status text id shown (-1 none).
    int StatusText() const { return m_status; }
    const CFirmwareUpdate& Logic() const { return m_logic; }

    void Browse();
    void RunUpdate();
    // Checks a chosen image and shows it as Browse does after its dialog
    // (its message when it fails); false when it fails. Browse remembers
    // the folder on top.
    bool OpenFile(const QString& path);
    // Shows a printer version as if just read from the printer.
    void ShowPrinterVersion(const std::string& version);

    bool OnPageShow() override;
    bool TabLeavesPage() const override { return true; }

    // Every status text the page may paint, each where it is painted.
    QList<Text> PaintedTexts() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Shows the printer's version (or "Unknown") and applies the decision.
    void ShowVersions();
    void ApplyDecision();
    void ShowMessageOf(const CFirmwareUpdate::Message& message);

    CFirmwareUpdate m_logic;
    QLabel* m_fileName = nullptr;
    QLabel* m_printerVersion = nullptr;
    QLabel* m_fileVersion = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_help = nullptr;
    int m_status = -1;
    bool m_running = false;
};
