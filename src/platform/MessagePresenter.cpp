#include "platform/MessagePresenter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

MessagePresenter* g_current = nullptr;

std::function<QString()>& CaptionSource() {
    static std::function<QString()> source;
    return source;
}

QtMessagePresenter& RealPresenter() {
    static QtMessagePresenter presenter;
    return presenter;
}

} // namespace

MessagePresenter& MessagePresenter::Current() {
    return g_current ? *g_current : RealPresenter();
}

void MessagePresenter::SetCurrent(MessagePresenter* presenter) {
    g_current = presenter;
}

void MessagePresenter::SetCaptionSource(std::function<QString()> source) {
    CaptionSource() = std::move(source);
}

QString MessagePresenter::Caption() {
    const auto& source = CaptionSource();
    return source ? source() : QString();
}

MessageAnswer ShowMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                          QWidget* owner) {
    return MessagePresenter::Current().Present(owner, MessagePresenter::Caption(), text, icon,
                                               buttons);
}

MessageAnswer QtMessagePresenter::Present(QWidget* owner, const QString& caption,
                                          const QString& text, MessageIcon icon,
                                          MessageButtons buttons) {
    if (!owner) owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();

    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return MessageAnswer::Ok;
    }
}
