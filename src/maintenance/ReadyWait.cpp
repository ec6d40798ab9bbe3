#include "maintenance/ReadyWait.h"

#include "app/CPlotcareApp.h"
#include "comm/CPrinterLink.h"
#include "comm/ReadyWaitProgress.h"
#include "maintenance/CBusyDialog.h"

#include <QWidget>

namespace {

// Shows nothing and never cancels: it only makes the link wait through the
// event queue, so the windows that are up stay alive.
class KeepWindowsAlive final : public ReadyWaitProgress {
public:
    void ReadyWaitBegin(const std::string&, int) override {}
    bool ReadyWaitPoll(std::int64_t) override { return false; }
    void ReadyWaitEnd(bool) override {}
};

} // namespace

int WaitUntilReady(CPrinterLink& link, const std::string& printer, bool showBusyDialog, QWidget* parent) {
    if (showBusyDialog) {
        const CPlotcareApp* app = CPlotcareApp::Current();
        CBusyDialog dialog(app ? app->GetText(0) : QString(), parent);
        return link.WaitUntilReady(printer, &dialog);
    }
    if (parent && !parent->isEnabled()) {
        KeepWindowsAlive pump;
        return link.WaitUntilReady(printer, &pump);
    }
    return link.WaitUntilReady(printer, nullptr);
}
