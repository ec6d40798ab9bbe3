#include "app/CPage.h"

#include "app/CMainWindow.h"

#include <QApplication>

CPage::CPage(int index, CMainWindow* mainWindow)
    : QWidget(mainWindow ? mainWindow->PageArea() : nullptr), m_index(index), m_mainWindow(mainWindow) {
    setAutoFillBackground(true);
}

int CPage::SendPageMessage(int message) {
    switch (message) {
    case kMsgShow: return OnPageShow() ? 1 : 0;
    case kMsgLeave: OnPageLeave(); return 0;
    case kMsgDriverSettingsChanged: OnDriverSettingsChanged(); return 0;
    default: return 0;
    }
}

QList<QWidget*> CPage::TabStops() const {
    QList<QWidget*> stops;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && w->isVisibleTo(this) && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus))
            stops << w;
    }
    return stops;
}

// Tab moves through this page's controls only (hidden pages and the header
// are not part of the cycle); at the page's edge it wraps, or hands the
// focus to the main window on pages that ask for it.
bool CPage::focusNextPrevChild(bool next) {
    QWidget* focus = QApplication::focusWidget();
    const QList<QWidget*> stops = TabStops();
    const int at = focus ? stops.indexOf(focus) : -1;
    if (at < 0) return QWidget::focusNextPrevChild(next);
    const Qt::FocusReason reason = next ? Qt::TabFocusReason : Qt::BacktabFocusReason;
    const bool atEdge = next ? at == stops.size() - 1 : at == 0;
    if (atEdge && TabLeavesPage() && m_mainWindow) {
        m_mainWindow->TakeKeyboardFocus();
        return true;
    }
    const int to = atEdge ? (next ? 0 : stops.size() - 1) : at + (next ? 1 : -1);
    stops[to]->setFocus(reason);
    return true;
}
