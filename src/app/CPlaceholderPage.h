#pragma once

#include "app/CPage.h"

// A function page whose controls are not built yet: it accepts being shown
// and says what it is, so the shell can be used and reviewed around it.
class CPlaceholderPage : public CPage {
    Q_OBJECT
public:
    CPlaceholderPage(int index, CMainWindow* mainWindow, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
};
