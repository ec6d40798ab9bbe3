#pragma once

#include "maintenance/BusyIndicator.h"
#include "maintenance/CBusyDialog.h"

#include <QPointer>

class QWidget;

// The busy indicator of the pages: the busy dialog over `owner` (the main
// window when null), its caption the text of the given id.
class CBusyDialogIndicator final : public BusyIndicator {
public:
    explicit CBusyDialogIndicator(QWidget* owner = nullptr);
    ~CBusyDialogIndicator() override;

    bool Begin(int captionText, int timeoutMs, bool cancellable) override;
    int Poll() override { return m_dialog.Poll(); }
    int State() const override { return m_dialog.State(); }
    void End() override;

    CBusyDialog& Dialog() { return m_dialog; }

private:
    QPointer<QWidget> m_owner;
    CBusyDialog m_dialog;
    bool m_open = false;
};
