#include "maintenance/CBusyDialogIndicator.h"

#include "app/CPlotcareApp.h"

#include <QWidget>

CBusyDialogIndicator::CBusyDialogIndicator(QWidget* owner) : m_owner(owner) {}

CBusyDialogIndicator::~CBusyDialogIndicator() { End(); }

bool CBusyDialogIndicator::Begin(int captionText, int timeoutMs, bool cancellable) {
    const CPlotcareApp* app = CPlotcareApp::Current();
    const QString caption = app ? app->GetText(captionText) : QString();
    m_open = true;
    return m_dialog.Create(caption, timeoutMs, cancellable, m_owner.data());
}

void CBusyDialogIndicator::End() {
    if (!m_open) return;
    m_open = false;
    m_dialog.Close();
}
