#include "app/CPlaceholderPage.h"

#include "app/Artwork.h"
#include "app/ShellApp.h"

#include <QPainter>

CPlaceholderPage::CPlaceholderPage(int index, CMainWindow* mainWindow, int height)
    : CPage(index, mainWindow) {
    resize(600, height);
}

void CPlaceholderPage::paintEvent(QPaintEvent* event) {
    CPage::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect card = rect().adjusted(60, 60, -60, -90);
    p.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
    p.setBrush(palette().color(QPalette::Base));
    p.drawRoundedRect(QRectF(card).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    const QPixmap icon = Artwork::PageIcon(Index());
    p.drawPixmap(card.center().x() - icon.width() / 2, card.top() + 40, icon);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(ShellApp::Font(Index() * 10000));
    const QRect nameRect(card.left(), card.top() + 90, card.width(), 28);
    p.drawText(nameRect, Qt::AlignCenter | Qt::TextSingleLine, ShellApp::Text(Index() * 10000));
    p.setFont(ShellApp::BaseFont());
    p.setPen(palette().color(QPalette::PlaceholderText));
    p.drawText(nameRect.translated(0, 30), Qt::AlignCenter | Qt::TextSingleLine,
               QStringLiteral("This page is not built yet."));
}
