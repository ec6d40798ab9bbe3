#pragma once

#include "custompaper/CCustomPaperReg.h"
#include "custompaper/CPaperEditPage.h"
#include "custompaper/DetailKind.h"

#include <memory>

class CCutSuctionTab;
class CFeedDryTab;

// Page 3: edits the printer's custom paper slots and registers them. The
// decisions are CCustomPaperReg's; the page shows the busy dialog, the wait
// cursor and the outcome's messages, and mirrors the logic into its
// controls. Control changes made while the page fills itself do not write
// back: the page reacts only to the operator's actions.
class CCustomPaperRegPage : public CPaperEditPage {
    Q_OBJECT
public:
    static constexpr int kPageIndex = 3;

    explicit CCustomPaperRegPage(CMainWindow* mainWindow);
    ~CCustomPaperRegPage() override;

    CFeedDryTab* FeedDryTab() const { return m_feedDry; }
    CCutSuctionTab* CutSuctionTab() const { return m_cutSuction; }
    // The decisions, once the page was shown with the application's table.
    CCustomPaperReg* Logic() const { return m_logic.get(); }

    bool OnPageShow() override;
    void OnDriverSettingsChanged() override;

    // Fills the page from the table for `slot` without reading the printer
    // or the driver (renderings for review).
    void Preview(int slot);

    // Opens the detail dialog `kind` (the media type detail for the page's
    // own Detail button) for the slot record being edited.
    enum class Detail { MediaType, PaperFeed };
    void OpenDetailDialog(Detail which);

protected:
    void OnNamePicked(int index) override;
    void OnMediaPicked(int index) override;
    void OnThicknessTyped() override;
    void OnPlatenPicked(int index) override;
    void OnMediaDetail() override;
    void OnPattern() override;
    void OnSave() override;

private:
    bool EnsureLogic();
    CCustomPaperReg::Target MakeTarget(CPrinterLink& link) const;
    // Shows the logic's state: the slot texts and selection, the media,
    // thickness and platen, the tabs bound (and loaded when `loadTabs`),
    // the Detail button.
    void Mirror(bool refillMedia, bool loadTabs);
    void MirrorSlots();
    void AfterPick(CCustomPaperReg::PickOutcome outcome);
    void ShowMessageOf(const CCustomPaperReg::Message& message);

    std::unique_ptr<CCustomPaperReg> m_logic;
    CFeedDryTab* m_feedDry = nullptr;
    CCutSuctionTab* m_cutSuction = nullptr;
    bool m_running = false;
};
