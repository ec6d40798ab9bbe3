#pragma once

#include <QWidget>

class CMainWindow;

// A page of the main window. The main window tells a page what it does
// through three notifications, each a virtual function:
//   OnPageShow    – the page is about to be shown; false refuses (pages 1 to 9);
//   OnPageLeave   – the page is being left, and when the main window closes;
//   OnDriverSettingsChanged – the menu's driver settings dialog changed the
//                   application's driver settings copy.
// SendPageMessage delivers them by their window-message numbers, which keeps
// the main window's switch readable against its message numbers.
class CPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMsgShow = 0x500;
    static constexpr int kMsgLeave = 0x501;
    static constexpr int kMsgDriverSettingsChanged = 0x502;

    // `index` is the page's slot (0 main menu, 1 … 9 the functions).
    CPage(int index, CMainWindow* mainWindow);

    int Index() const { return m_index; }
    CMainWindow* MainWindow() const { return m_mainWindow; }

    // Returns the page's answer (1 accept, 0 refuse for kMsgShow; 0 otherwise).
    int SendPageMessage(int message);

    virtual bool OnPageShow() { return true; }
    virtual void OnPageLeave() {}
    virtual void OnDriverSettingsChanged() {}

    // Pages whose Tab on the last tab stop (Shift+Tab on the first) gives the
    // focus back to the main window instead of wrapping inside the page.
    virtual bool TabLeavesPage() const { return false; }

    // The page's controls that Tab visits, in focus order.
    QList<QWidget*> TabStops() const;

protected:
    bool focusNextPrevChild(bool next) override;

private:
    int m_index;
    CMainWindow* m_mainWindow;
};
