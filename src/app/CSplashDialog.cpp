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

QList<CPaintedTexts::Text> CSplashDialog::PaintedTexts() const {
    const int flags = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine;
    // Rectangles as left, top, right, bottom of the picture.
    const auto rect = [](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };
    if (m_form == Form::Splash)
        return {{m_line1, rect(10, 180, 475, 200), m_font1, flags, QStringLiteral("line 1")}};
    return {{m_line1, rect(10, 200, 475, 220), m_font1, flags, QStringLiteral("line 1")},
            {m_line2, rect(10, 220, 475, 240), m_font2, flags, QStringLiteral("line 2")}};
}

void CSplashDialog::PaintContents(QPainter& p) const {
    p.drawPixmap(0, 0, m_picture);
    p.setPen(palette().color(QPalette::WindowText));
    for (const Text& t : PaintedTexts()) {
        p.setFont(t.font);
        p.drawText(t.rect, t.flags, t.text);
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
