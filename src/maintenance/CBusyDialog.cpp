#include "maintenance/CBusyDialog.h"

#include "app/CPlotcareApp.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QBitmap>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

namespace {

QPointer<QWidget> g_defaultOwner;

const QRect kAnimationRect(20, 24, 32, 32);
const QRect kTextRect(68, 24, 248, 40);
const QRect kCancelRect(126, 88, 80, 26);
const QColor kTransparent(255, 0, 255);

QString LookupText(int id) {
    // The application's localized texts; the template's own wording when the
    // settings do not name one.
    if (const CPlotcareApp* app = CPlotcareApp::Current()) {
        const QString text = app->GetText(id);
        if (!text.isEmpty()) return text;
    }
    switch (id) {
    case CBusyDialog::kTextLine: return QStringLiteral("Please wait...");
    case CBusyDialog::kTextCancel: return QStringLiteral("Cancel");
    default: return {};
    }
}

// One frame: a print head over a sheet, with an ink drop that has just left
// the nozzle (frame 0) or has reached the paper (frame 1).
void DrawFrame(QPainter& p, int x, int frame) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 96, 110));
    p.drawRoundedRect(QRectF(x + 6, 2, 20, 10), 2, 2);
    p.setBrush(QColor(60, 64, 74));
    p.drawRect(QRectF(x + 13, 12, 6, 3));
    p.setBrush(Qt::white);
    p.setPen(QColor(150, 150, 150));
    p.drawRect(QRectF(x + 2, 25, 27, 5));
    p.setPen(Qt::NoPen);
    const QColor inks[] = {QColor(0, 170, 220), QColor(220, 0, 140), QColor(240, 200, 0)};
    if (frame == 0) {
        QPainterPath drop;
        drop.moveTo(x + 16, 16);
        drop.cubicTo(x + 13, 20, x + 13, 23, x + 16, 23);
        drop.cubicTo(x + 19, 23, x + 19, 20, x + 16, 16);
        p.setBrush(inks[0]);
        p.drawPath(drop);
    } else {
        for (int i = 0; i < 3; ++i) {
            p.setBrush(inks[i]);
            p.drawEllipse(QRectF(x + 8 + i * 6, 25.5, 4, 4));
        }
    }
}

} // namespace

// The window itself: fixed layout, paints the current frame, and lets Cancel
// and Escape through only while the Cancel button is shown.
class CBusyDialog::BusyWindow : public QDialog {
public:
    BusyWindow(CBusyDialog& owner, QWidget* parent) : QDialog(parent), m_owner(owner) {
        setFixedSize(kWidth, kHeight);
        setModal(false);
        m_area = new QFrame(this);
        m_area->setGeometry(kAnimationRect);
        m_area->setFrameShape(QFrame::NoFrame);
        m_area->hide(); // only marks where the picture goes
        m_text = new QLabel(LookupText(kTextLine), this);
        m_text->setGeometry(kTextRect);
        m_text->setWordWrap(true);
        m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_cancel = new QPushButton(LookupText(kTextCancel), this);
        m_cancel->setGeometry(kCancelRect);
        m_cancel->setDefault(true);
        QObject::connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
        // The fonts of the common page set-up: each control's font id is its
        // text id.
        if (CPlotcareApp* app = CPlotcareApp::Current()) {
            m_text->setFont(app->GetFont(kTextLine));
            m_cancel->setFont(app->GetFont(kTextCancel));
        }
    }

    QPushButton* CancelButton() const { return m_cancel; }
    QRect AnimationArea() const { return m_area->geometry(); }

    void reject() override {
        if (!m_cancel->isVisible()) return;
        m_owner.OnCancel();
        QDialog::reject();
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QDialog::paintEvent(e);
        QPainter p(this);
        p.drawPixmap(m_area->geometry().topLeft(), m_pictures[m_owner.m_frame & 1]);
    }

public:
    // The animation pictures live with the window and go with it.
    void LoadPictures() {
        const QImage strip = AnimationStrip();
        for (int i = 0; i < 2; ++i) {
            const QImage frame = strip.copy(i * 32, 0, 32, 32);
            m_pictures[i] = QPixmap::fromImage(frame);
            m_pictures[i].setMask(QBitmap::fromImage(frame.createMaskFromColor(kTransparent.rgb())));
        }
    }

private:
    CBusyDialog& m_owner;
    QFrame* m_area = nullptr;
    QLabel* m_text = nullptr;
    QPushButton* m_cancel = nullptr;
    QPixmap m_pictures[2];
};

CBusyDialog::CBusyDialog() = default;

CBusyDialog::CBusyDialog(const QString& readyWaitCaption, QWidget* readyWaitOwner)
    : m_readyWaitCaption(readyWaitCaption), m_readyWaitOwner(readyWaitOwner) {}

CBusyDialog::~CBusyDialog() {
    if (m_window || m_animationTimer || m_timeoutTimer) Close();
}

QDialog* CBusyDialog::Window() const { return m_window.data(); }

void CBusyDialog::SetDefaultOwner(QWidget* owner) { g_defaultOwner = owner; }

QWidget* CBusyDialog::DefaultOwner() {
    if (g_defaultOwner) return g_defaultOwner.data();
    // No main window has named itself: the window the operator is using.
    return QApplication::activeWindow();
}

QImage CBusyDialog::AnimationStrip() {
    QImage strip(64, 32, QImage::Format_RGB32);
    strip.fill(kTransparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    DrawFrame(p, 0, 0);
    DrawFrame(p, 32, 1);
    return strip;
}

bool CBusyDialog::Create(const QString& caption, int timeoutMs, bool showCancel, QWidget* owner) {
    if (m_window) Close();
    m_owner = owner ? owner : DefaultOwner();
    m_state = kCancelled; // stays so when there is no window to show
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    m_window = new BusyWindow(*this, m_owner);
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    QObject::connect(m_window, &QObject::destroyed, [this] { OnWindowGone(); });

    m_window->LoadPictures();
    m_window->setWindowTitle(caption);
    m_frame = 0;

    if (m_owner) m_owner->setEnabled(false);
    // A disabled owner disables its child windows too; the busy window itself
    // must stay usable (its Cancel).
    m_window->setEnabled(true);

    // Centred on the owner (on the screen without one).
    const QRect around = m_owner ? m_owner->window()->frameGeometry()
                                 : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                                     : QRect(0, 0, kWidth, kHeight));
    m_window->move(around.center() - QPoint(kWidth / 2, kHeight / 2));
    m_window->show();
    m_window->CancelButton()->setVisible(showCancel);

    m_clock = &Clock::Current();
    m_clock->DispatchPending();

    m_state = kRunning;
    m_animationTimer = m_clock->StartTimer(kAnimationPeriodMs, [this] {
        m_frame = m_frame ? 0 : 1;
        if (m_window) m_window->update(m_window->AnimationArea());
    });
    m_timeoutTimer = m_clock->StartTimer(timeoutMs, [this] { m_state = kTimedOut; });
    return true;
}

int CBusyDialog::Poll() {
    Clock::Current().DispatchPending();
    return m_state;
}

void CBusyDialog::ReadyWaitBegin(const std::string&, int) {
    Create(m_readyWaitCaption, kReadyWaitTimeoutMs, false, m_readyWaitOwner);
}

bool CBusyDialog::ReadyWaitPoll(std::int64_t) {
    // A window that could not be made also reports "cancelled"; that must not
    // cut the wait short.
    return Poll() == kCancelled && m_window;
}

void CBusyDialog::ReadyWaitEnd(bool) { Close(); }

void CBusyDialog::OnCancel() { m_state = kCancelled; }

void CBusyDialog::OnWindowGone() {
    // However the window went, the owner is usable again.
    if (m_owner) m_owner->setEnabled(true);
}

void CBusyDialog::StopTimers() {
    if (m_clock) {
        if (m_animationTimer) m_clock->StopTimer(m_animationTimer);
        if (m_timeoutTimer) m_clock->StopTimer(m_timeoutTimer);
    }
    m_animationTimer = m_timeoutTimer = 0;
}

void CBusyDialog::Close() {
    if (m_owner) m_owner->setEnabled(true);
    StopTimers();
    if (m_window) {
        BusyWindow* w = m_window.data();
        m_window = nullptr;
        QObject::disconnect(w, &QObject::destroyed, nullptr, nullptr);
        delete w;
    }
    Clock::Current().DispatchPending();
}
