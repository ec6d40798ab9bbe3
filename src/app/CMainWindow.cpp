#include "app/CMainWindow.h"

#include "app/Artwork.h"
#include "app/CMainMenuPage.h"
#include "app/CPage.h"
#include "app/CPageSelector.h"
#include "app/CSplashDialog.h"
#include "app/PageFactory.h"
#include "app/ShellApp.h"
#include "maintenance/CBusyDialog.h"
#include "platform/Clock.h"
#include "platform/MessagePresenter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <algorithm>

namespace {

CMainWindow* g_instance = nullptr;

// Rectangles as left, top, right, bottom.
QRect Ltrb(int l, int t, int r, int b) {
    return QRect(l, t, r - l, b - t);
}

// Pages are created in this order.
constexpr int kCreationOrder[CMainWindow::kPageCount] = {0, 1, 2, 8, 9, 7, 6, 3, 4, 5};

// Pages on which the driver settings item is available.
bool DriverSettingsPage(int index) {
    return index == 1 || index == 3 || index == 5 || index == 8 || index == 9;
}

// The header strip: paints what the main window keeps for it.
class HeaderStrip : public QWidget, public CPaintedTexts {
public:
    HeaderStrip(CMainWindow* window, QWidget* parent) : QWidget(parent), m_window(window) {}

    QList<Text> PaintedTexts() const override { return m_window->HeaderTexts(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        m_window->PaintHeader(p);
    }

private:
    CMainWindow* m_window;
};

} // namespace

CMainWindow::CMainWindow(bool customFilePage, PageFactory factory, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_customFilePage(customFilePage), m_factory(std::move(factory)) {
    if (!m_factory) m_factory = CreatePage;
    g_instance = this;
    setFocusPolicy(Qt::StrongFocus);

    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    m_fileMenu = m_menuBar->addMenu(QString());
    m_driverSettingsAction = m_fileMenu->addAction(QString(), this, &CMainWindow::OpenDriverSettings);
    m_fileMenu->addSeparator();
    m_exitAction = m_fileMenu->addAction(QString(), this, &QWidget::close);
    m_helpMenu = m_menuBar->addMenu(QString());
    m_manualAction = m_helpMenu->addAction(QString(), this, &CMainWindow::OpenManual);
    m_helpMenu->addSeparator();
    m_aboutAction = m_helpMenu->addAction(QString(), this, &CMainWindow::ShowAbout);

    m_client = new QWidget(this);
    m_header = new HeaderStrip(this, m_client);
    m_selector = new CPageSelector(m_header);
    m_selector->hide();
    connect(m_selector, &QComboBox::currentIndexChanged, this, [this] { SwitchToSelected(); });

    // Enter and Escape do nothing anywhere in this window, whichever of its
    // controls has the focus.
    qApp->installEventFilter(this);
}

CMainWindow::~CMainWindow() {
    qApp->removeEventFilter(this);
    if (m_current >= 0 && m_current < kPageCount && m_pages[m_current])
        m_pages[m_current]->SendPageMessage(CPage::kMsgLeave);
    for (CPage*& page : m_pages) {
        delete page;
        page = nullptr;
    }
    if (m_splash) delete m_splash;
    if (g_instance == this) g_instance = nullptr;
}

CMainWindow* CMainWindow::Instance() {
    return g_instance;
}

CPage* CMainWindow::Page(int index) const {
    return index >= 0 && index < kPageCount ? m_pages[index] : nullptr;
}

bool CMainWindow::Initialize() {
    // 1. Icon and the base font every window derives its fonts from.
    setWindowIcon(Artwork::ProgramIcon());
    ShellApp::CreateBaseFont(font());
    setFont(ShellApp::BaseFont());

    // 2. Splash, shown for at least kSplashMinimumMs from here.
    m_splash = new CSplashDialog(CSplashDialog::Form::Splash, this);
    m_splash->show();
    Clock& clock = Clock::Current();
    clock.DispatchPending();
    const std::int64_t splashShown = clock.TickMs();

    // 3. The mark a second copy of the program looks for.
    setProperty(kInstanceProperty, 1);
    // Busy windows opened without an owner belong to this window.
    CBusyDialog::SetDefaultOwner(this);

    // 4. Header pictures; one pair on every platform version.
    m_mainMenuHeader = Artwork::Header(Artwork::HeaderKind::MainMenu);
    m_pageHeader = Artwork::Header(Artwork::HeaderKind::Page);
    m_surface = m_mainMenuHeader;
    const QSize header = m_mainMenuHeader.size();
    m_header->setGeometry(QRect(QPoint(0, 0), header));

    // 5. Pages.
    for (int index : kCreationOrder) {
        if (index == 5 && !m_customFilePage) continue;
        CPage* page = m_factory(index, this);
        if (!page) {
            ShowMessage(ShellApp::Text(902), MessageIcon::Error, MessageButtons::Ok, this);
            if (m_splash) m_splash->close();
            done(0);
            return false;
        }
        m_pages[index] = page;
        page->setParent(m_client);
        page->setGeometry(0, header.height(), header.width(), page->height());
        page->hide();
    }

    // 6. Page icons and the selector's entries.
    for (int k = 1; k < kPageCount; ++k) m_pageIcons[k - 1] = Artwork::PageIcon(k);
    {
        const QSignalBlocker block(m_selector);
        for (int k = 0; k < kPageCount; ++k) {
            m_pageNames[k] = ShellApp::Text(k * 10000);
            // A build without a page has no entry for it either.
            const bool slotEmpty = k == 5 && !m_customFilePage;
            if (!m_pageNames[k].isEmpty() && !slotEmpty) m_selector->addItem(m_pageNames[k], k);
        }
        m_selector->setCurrentIndex(-1);
    }

    // 7. Selector place and font; menu labels.
    m_selector->setFont(ShellApp::BaseFont());
    // Wide enough for the longest page name.
    const QRect selectorRect = Ltrb(338, 15, 548, 30);
    m_selector->setGeometry(selectorRect.left(), selectorRect.top(), selectorRect.width(),
                            std::max(selectorRect.height(), m_selector->sizeHint().height()));
    ApplyMenuTexts();

    // 8. Keep the splash up for its minimum time, then close it.
    const std::int64_t elapsed = clock.TickMs() - splashShown;
    if (elapsed < kSplashMinimumMs) clock.Wait(static_cast<int>(kSplashMinimumMs - elapsed));
    if (m_splash) {
        m_splash->close();
        delete m_splash;
    }
    clock.DispatchPending();

    // 9. Without a supported printer there is nothing to maintain.
    if (ShellApp::Mode() != 2) {
        auto* menu = qobject_cast<CMainMenuPage*>(m_pages[0]);
        if (!menu || menu->PrinterCount() == 0) {
            ShowMessage(ShellApp::Text(904), MessageIcon::Error, MessageButtons::Ok, this);
            done(0);
            return false;
        }
    }

    // 10. Fixed size (no maximise, no sizing) and the main menu.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    m_current = 0;
    ShowPage(0);
    return true;
}

int CMainWindow::Run() {
    if (!Initialize()) return 0;
    return exec();
}

void CMainWindow::ApplyMenuTexts() {
    m_fileMenu->setTitle(ShellApp::Text(500));
    m_driverSettingsAction->setText(ShellApp::Text(501));
    m_exitAction->setText(ShellApp::Text(550));
    m_helpMenu->setTitle(ShellApp::Text(510));
    m_manualAction->setText(ShellApp::Text(511));
    m_aboutAction->setText(ShellApp::Text(551));
}

void CMainWindow::ShowPage(int index) {
    const int entry = m_selector->FindPage(index);
    if (entry < 0) return;
    {
        const QSignalBlocker block(m_selector);
        m_selector->setCurrentIndex(entry);
    }
    SwitchToSelected();
}

void CMainWindow::SwitchToSelected() {
    // 1. The page being left hears so first.
    if (m_current >= 0 && m_current < kPageCount && m_pages[m_current])
        m_pages[m_current]->SendPageMessage(CPage::kMsgLeave);

    // 2. The new page.
    const QVariant data = m_selector->currentData();
    if (!data.isValid()) return;
    int index = data.toInt();
    if (index < 0 || index >= kPageCount) return;

    // 3. The driver-settings library is loaded only while a function page
    // is shown, and always for the printer selected now.
    ShellApp::UnloadDriverSettingsLibrary();

    if (index == 0) {
        // 4. Main menu.
        m_surface = m_mainMenuHeader;
        if (m_pages[0]) m_pages[0]->SendPageMessage(CPage::kMsgShow);
        m_selector->hide();
        m_selector->setEnabled(false);
        setWindowTitle(ShellApp::Text(0));
        m_driverSettingsAction->setEnabled(false);
    } else {
        // 5. A function page; it may refuse (an empty slot accepts).
        m_surface = m_pageHeader;
        ShellApp::LoadDriverSettingsLibrary();
        const int answer = m_pages[index] ? m_pages[index]->SendPageMessage(CPage::kMsgShow) : 1;
        if (answer == 0) {
            if (m_current == 0) {
                ShowPage(0);
                return;
            }
            index = m_current;
        }
        m_selector->show();
        m_selector->setEnabled(true);
        TakeKeyboardFocus();
        setWindowTitle(ShellApp::Text(0) + QStringLiteral(" - ") + ShellApp::PrinterName());
        m_driverSettingsAction->setEnabled(DriverSettingsPage(index));
    }

    // 6. Exactly one page visible, the window fitted to it.
    for (int k = 0; k < kPageCount; ++k) {
        CPage* page = m_pages[k];
        if (!page) continue;
        if (k == index) {
            page->show();
            FitToPage(page);
            m_pageName = m_pageNames[k];
            m_secondLine = ShellApp::Text(k * 10000 + 1);
        } else {
            page->hide();
        }
    }

    // 7. Repaint, remember, and keep the selector in step.
    m_current = index;
    {
        const QSignalBlocker block(m_selector);
        m_selector->setCurrentIndex(m_selector->FindPage(index));
    }
    m_header->update();
    update();
}

void CMainWindow::FitToPage(CPage* page) {
    const QSize header = m_mainMenuHeader.size();
    const QSize client(header.width(), header.height() + page->height());
    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, client.width(), menuHeight);
    m_client->setGeometry(0, menuHeight, client.width(), client.height());
    setFixedSize(client.width(), menuHeight + client.height());
}

QList<CPaintedTexts::Text> CMainWindow::HeaderTexts() const {
    const int k = m_selector->CurrentPage();
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    QList<CPaintedTexts::Text> texts;
    if (k >= 1 && k < kPageCount) {
        // Beside the page icon, and left of the page selector.
        const int right =
            m_selector->isVisibleTo(m_header) ? std::min(370, m_selector->x() - 4) : 370;
        texts.append({m_pageName, Ltrb(15 + 39, 7, right, 42), ShellApp::Font(k * 10000), flags,
                      QStringLiteral("page name")});
    }
    texts.append({m_secondLine, Ltrb(15, 42, 595, 60), ShellApp::Font(k * 10000 + 1), flags,
                  QStringLiteral("second line")});
    return texts;
}

void CMainWindow::PaintHeader(QPainter& p) const {
    p.drawPixmap(0, 0, m_surface);
    const int k = m_selector->CurrentPage();
    const bool hasName = k >= 1 && k < kPageCount;
    if (hasName) p.drawPixmap(15, 7, m_pageIcons[k - 1]);
    const QList<CPaintedTexts::Text> texts = HeaderTexts();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        // The page name in blue, the second line in the window's text colour.
        p.setFont(texts[i].font);
        p.setPen(hasName && i == 0 ? QColor(0, 0, 255) : palette().color(QPalette::WindowText));
        p.drawText(texts[i].rect, texts[i].flags, texts[i].text);
    }
}

void CMainWindow::TakeKeyboardFocus() {
    setFocus(Qt::OtherFocusReason);
}

void CMainWindow::OpenDriverSettings() {
    if (!ShellApp::HasDriverSettings()) return;
    ShellApp::EditDriverSettings(this);
    if (CPage* page = Page(m_current)) page->SendPageMessage(CPage::kMsgDriverSettingsChanged);
}

void CMainWindow::OpenManual() {
    ShellApp::OpenManual(this, m_current, 0);
}

void CMainWindow::ShowAbout() {
    CSplashDialog about(CSplashDialog::Form::About, this);
    about.exec();
}

void CMainWindow::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    if (ShowMessage(ShellApp::Text(900), MessageIcon::Information, MessageButtons::OkCancel,
                    this) == MessageAnswer::Cancel) {
        event->ignore();
        return;
    }
    setProperty(kInstanceProperty, QVariant());
    m_closing = true;
    event->accept();
    QDialog::done(QDialog::Accepted);
}

void CMainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool CMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) &&
            widget->window() == this)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Escape and the default button never end the window; only closing does.
void CMainWindow::reject() {}
void CMainWindow::accept() {}
