#pragma once

#include "app/CPage.h"
#include "custompaper/CCustomPaperCall.h"

#include <array>
#include <memory>

class CCustomPaperTable;
class CPrinterLink;
class COwnerDrawCombo;
class QLabel;
class QPushButton;

// Page 4: lists the printer's ten custom paper slots, shows the settings of
// the slot picked and makes a slot, or the printer's standard setting, the
// active paper setting. Edit leads to the registration page for the same
// slot. The decisions are CCustomPaperCall's; the page shows the busy
// dialog, the wait cursor, the rows and the outcome's message.
class CCustomPaperCallPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kPageIndex = 4;
    static constexpr int kRegistrationPage = 3;
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 278;

    // Control ids.
    static constexpr int kGroup = 1067;
    static constexpr int kSelector = 1068;
    static constexpr int kCallButton = 1050;
    static constexpr int kEditButton = 1051;
    static constexpr int kHelpButton = 1003;
    // Row r's label, separator and value: these plus r.
    static constexpr int kRowLabelBase = 1070;
    static constexpr int kRowColonBase = 1080;
    static constexpr int kRowValueBase = 1090;
    static constexpr int kHelpTopic = 0;

    // Works on the application's slot table; without one (outside a run of
    // the program) the page refuses to be shown.
    explicit CCustomPaperCallPage(CMainWindow* mainWindow);
    ~CCustomPaperCallPage() override;

    COwnerDrawCombo* Selector() const { return m_selector; }
    QPushButton* CallButton() const { return m_call; }
    QPushButton* EditButton() const { return m_edit; }
    QPushButton* HelpButton() const { return m_help; }
    QLabel* RowLabel(int row) const { return m_rowLabels[static_cast<std::size_t>(row)]; }
    QLabel* RowValue(int row) const { return m_rowValues[static_cast<std::size_t>(row)]; }

    bool OnPageShow() override;
    bool TabLeavesPage() const override { return true; }

    // What the selector and the buttons do.
    void SelectItem(int item);
    // Selects the item and shows what the table holds for its slot, without
    // reading the printer (renderings for review).
    void PreviewItem(int item);
    void RunCall();
    void RunEdit();

private:
    // The decisions on the application's table; null when there is none.
    CCustomPaperCall* Logic();
    CCustomPaperCall::Target MakeTarget(CPrinterLink& link) const;
    // Runs a pick and shows its result in the controls; the caller shows
    // its message.
    CCustomPaperCall::PickOutcome ApplyPick(int item);
    // The item's label, read each time it is drawn.
    QString ItemLabel(int item) const;
    void FillRows();
    void EnableButtons();
    void ShowMessageOf(const CCustomPaperCall::Message& message);

    std::unique_ptr<CCustomPaperCall> m_logic;
    COwnerDrawCombo* m_selector = nullptr;
    QPushButton* m_call = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_help = nullptr;
    std::array<QLabel*, CCustomPaperCall::kRowCount> m_rowLabels{};
    std::array<QLabel*, CCustomPaperCall::kRowCount> m_rowValues{};
    bool m_running = false;
};
