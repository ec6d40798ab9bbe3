#pragma once

#include "app/CPage.h"
#include "app/ShellApp.h"

#include <QPixmap>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

// Page 0: the list of installed printers the utility supports, and one
// picture button per maintenance function. A button makes the listed
// printer the application's selected printer, checks that it is a supported
// one, remembers it and opens the function's page.
class CMainMenuPage : public CPage {
    Q_OBJECT
public:
    static constexpr const char* kRememberedValue = "SelectPrinter";
    static constexpr const char* kNecessaryFileText =
        "The necessary file cannot be found. Install the program again.";

    // `customFilePage` false: the custom file button, label and description
    // are hidden and the page is shorter (the QZ-7100 build).
    CMainMenuPage(CMainWindow* mainWindow, bool customFilePage);

    int PrinterCount() const;
    QComboBox* PrinterList() const { return m_list; }
    // The function button that opens page k (1 … 9), and the help button.
    QPushButton* FunctionButton(int k) const;
    QPushButton* HelpButton() const { return m_help; }

    // What function button k does.
    void OpenFunction(int k);

    bool OnPageShow() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FillPrinterList();
    void ReviewMessages();

    bool m_customFilePage;
    std::vector<ShellApp::PrinterRecord> m_records;
    QComboBox* m_list = nullptr;
    QPushButton* m_buttons[9] = {};
    QPushButton* m_help = nullptr;
    QPixmap m_printerPicture;
};
