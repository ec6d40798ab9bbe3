#include "app/PageFactory.h"

#include "app/CMainMenuPage.h"
#include "app/CMainWindow.h"
#include "custompaper/CCustomFilePage.h"
#include "custompaper/CCustomPaperCallPage.h"
#include "custompaper/CCustomPaperRegPage.h"
#include "firmware/CFirmwareUpdatePage.h"
#include "maintenance/CAutoAdjustmentPage.h"
#include "maintenance/CManualAlignmentPage.h"
#include "maintenance/CNozzleCleaningPage.h"
#include "status/CPrinterStatusPage.h"

CPage* CreatePage(int index, CMainWindow* owner) {
    const bool customFilePage = owner ? owner->HasCustomFilePage() : true;
    switch (index) {
    case 0:
        return new CMainMenuPage(owner, customFilePage);
    case 1:
        return new CAutoAdjustmentPage(owner);
    case 2:
        return new CNozzleCleaningPage(owner);
    case 3:
        return new CCustomPaperRegPage(owner);
    case 4:
        return new CCustomPaperCallPage(owner);
    // The QZ-7100 build has no custom file page.
    case 5:
        return customFilePage ? new CCustomFilePage(owner) : nullptr;
    case 6:
        return new CPrinterStatusPage(owner);
    case 7:
        return new CFirmwareUpdatePage(owner);
    case 8:
        return new CManualAlignmentPage(CManualAlignment::Direction::Bidirectional, owner);
    case 9:
        return new CManualAlignmentPage(CManualAlignment::Direction::Unidirectional, owner);
    default:
        return nullptr;
    }
}
