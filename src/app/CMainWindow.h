#pragma once

#include "app/CPaintedTexts.h"

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <array>
#include <functional>

class CPage;
class CPageSelector;
class CSplashDialog;
class QAction;
class QMenu;
class QMenuBar;

// The fixed-size main window: a painted header strip with the page name and
// a page selector, a menu bar, and ten pages of which one is visible. It
// creates every page at start, switches between them and tells each page
// what it does (CPage's notifications).
class CMainWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPageCount = 10;
    static constexpr int kSplashMinimumMs = 2000;
    // Window property that a second copy of the program looks for.
    static constexpr const char* kInstanceProperty = "Servulo2";

    // Creates the page of slot `index` (nullptr: cannot be created).
    using PageFactory = std::function<CPage*(int index, CMainWindow* owner)>;

    // `customFilePage` false: slot 5 stays empty (the QZ-7100 build).
    // Without a factory the program's own pages are made (CreatePage).
    explicit CMainWindow(bool customFilePage, PageFactory factory = {}, QWidget* parent = nullptr);
    ~CMainWindow() override;

    // Start-up of the window (splash, pages, selector, menu, checks). False
    // when the window ends at once (page creation failed, no printer).
    bool Initialize();
    // Initialize, then run modally; 0 when start-up ended the window.
    int Run();

    // Selects the selector entry whose item data is `index` and switches to
    // that page; nothing when no entry has that item data.
    void ShowPage(int index);

    int CurrentIndex() const { return m_current; }
    CPage* Page(int index) const;
    CPageSelector* PageSelector() const { return m_selector; }
    QWidget* PageArea() const { return m_client; }
    QMenuBar* MenuBar() const { return m_menuBar; }
    QAction* DriverSettingsAction() const { return m_driverSettingsAction; }
    bool HasCustomFilePage() const { return m_customFilePage; }
    QString CurrentPageName() const { return m_pageName; }
    QString HeaderSecondLine() const { return m_secondLine; }

    // Gives the keyboard focus to the window itself (Tab at a page's edge).
    void TakeKeyboardFocus();

    // The menu's actions, callable directly.
    void OpenDriverSettings();
    void OpenManual();
    void ShowAbout();

    // The running main window, if any.
    static CMainWindow* Instance();

    // Draws the header strip (picture, page icon and name, second line).
    void PaintHeader(QPainter& painter) const;
    // The header's texts where PaintHeader draws them.
    QList<CPaintedTexts::Text> HeaderTexts() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;
    void accept() override;

private:
    void SwitchToSelected();
    void ApplyMenuTexts();
    void FitToPage(CPage* page);
    int PageHeightFor(int index) const;

    bool m_customFilePage;
    PageFactory m_factory;
    std::array<CPage*, kPageCount> m_pages{};
    std::array<QString, kPageCount> m_pageNames;
    int m_current = 0;
    QString m_pageName;
    QString m_secondLine;

    QPixmap m_mainMenuHeader;
    QPixmap m_pageHeader;
    QPixmap m_surface; // the header in use
    std::array<QPixmap, kPageCount - 1> m_pageIcons;

    QWidget* m_client = nullptr;
    QWidget* m_header = nullptr;
    CPageSelector* m_selector = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_driverSettingsAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_manualAction = nullptr;
    QAction* m_aboutAction = nullptr;
    QPointer<CSplashDialog> m_splash;
    bool m_closing = false;
};
