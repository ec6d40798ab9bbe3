#include "app/CSplashDialog.h"

#include "app/Artwork.h"
#include "app/ShellApp.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

CSplashDialog::CSplashDialog(Form form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_form(form) {
    m_picture = Artwork::Splash(form == Form::Splash ? Artwork::SplashKind::Splash
                                                     : Artwork::SplashKind::About);
    if (form == Form::Splash) {
        setWindowFlag(Qt::SplashScreen);
        m_line1 = ShellApp::Text(99);
        m_font1 = ShellApp::Font(99);
    } else {
        m_line1 = ShellApp::Text(200) + QLatin1Char(' ') + ProgramVersionText();
        m_font1 = ShellApp::Font(200);
        m_line2 = ShellApp::Text(201);
        m_font2 = ShellApp::Font(201);
    }
    setWindowTitle(ShellApp::Text(0));
    setFixedSize(m_picture.size());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

QString CSplashDialog::VersionText(int major, int minor, int patch) {
    return QString::asprintf("%d.%d%d", major, minor, patch);
}

QString CSplashDialog::ProgramVersionText() {
    return VersionText(PLOTCARE_VERSION_MAJOR, PLOTCARE_VERSION_MINOR, PLOTCARE_VERSION_PATCH);
}

void CSplashDialog::PaintContents(QPainter& p) const {
    p.drawPixmap(0, 0, m_picture);
    const int flags = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine;
    p.setPen(palette().color(QPalette::WindowText));
    // Rectangles as left, top, right, bottom of the picture.
    const auto rect = [](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };
    if (m_form == Form::Splash) {
        p.setFont(m_font1);
        p.drawText(rect(10, 180, 475, 200), flags, m_line1);
    } else {
        p.setFont(m_font1);
        p.drawText(rect(10, 200, 475, 220), flags, m_line1);
        p.setFont(m_font2);
        p.drawText(rect(10, 220, 475, 240), flags, m_line2);
    }
}

QPixmap CSplashDialog::Render() const {
    QPixmap pm(m_picture.size());
    pm.fill(Qt::white);
    QPainter p(&pm);
    PaintContents(p);
    return pm;
}

void CSplashDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintContents(p);
}

void CSplashDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        close();
        return;
    }
    QDialog::mousePressEvent(event);
}
