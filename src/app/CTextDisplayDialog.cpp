#include "app/CTextDisplayDialog.h"

#include "app/Artwork.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
constexpr int kTextArea = 1002;
constexpr int kHeading = 1146;
constexpr int kOkButton = 2;
} // namespace

CTextDisplayDialog::CTextDisplayDialog(QWidget* parent) : QDialog(parent) {
    setSizeGripEnabled(true);
    setMinimumSize(kMinimumSize);

    m_text = new QPlainTextEdit(this);
    SetControlId(m_text, kTextArea);
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setContextMenuPolicy(Qt::CustomContextMenu);
    m_text->installEventFilter(this);
    connect(m_text, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = CreateContextMenu();
        menu->exec(m_text->viewport()->mapToGlobal(pos));
        delete menu;
    });

    m_heading = new QLabel(this);
    SetControlId(m_heading, kHeading);
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_ok = new QPushButton(this);
    SetControlId(m_ok, kOkButton);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::hide);

    PlaceControls();
    const int ids[] = {kTextArea, kHeading, kOkButton};
    const int fonts[] = {-1, 60201, 60250};
    const int texts[] = {-1, 60201, 60250};
    ApplyFonts(this, ids, fonts, 3);
    ApplyTexts(this, ids, texts, 3);
    setWindowTitle(ShellApp::Text(60200));
    setWindowIcon(Artwork::ProgramIcon());
}

void CTextDisplayDialog::SetReport(const QString& text) {
    m_text->setPlainText(text);
}

// Placement follows the client size: the text fills all below the heading
// row, the OK button keeps to the right edge.
void CTextDisplayDialog::PlaceControls() {
    const int w = width();
    const int h = height();
    const int ids[] = {kTextArea, kHeading, kOkButton};
    const ControlRect rects[] = {{0, 28, w, h}, {10, 2, w - 75, 25}, {w - 70, 2, w - 5, 25}};
    ApplyLayout(this, ids, rects, 3);
}

void CTextDisplayDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

void CTextDisplayDialog::CopySelection() {
    const QString selected = m_text->textCursor().selectedText();
    if (selected.isEmpty()) return;
    // The text cursor marks line ends as paragraph separators.
    QString text = selected;
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    QApplication::clipboard()->setText(text);
}

QMenu* CTextDisplayDialog::CreateContextMenu() {
    auto* menu = new QMenu(this);
    menu->addAction(ShellApp::Text(60251), this, &CTextDisplayDialog::CopySelection);
    return menu;
}

// Every key typed into the text is swallowed; Escape and Tab still reach
// the window, which hides on Escape.
bool CTextDisplayDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
