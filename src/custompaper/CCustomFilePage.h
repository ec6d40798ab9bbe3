#pragma once

#include "custompaper/CCustomFileEdit.h"
#include "custompaper/CPaperEditPage.h"
#include "custompaper/DetailKind.h"

#include <memory>

class CFileCutTab;
class CFileQualityTab;

// Page 5 (first model's build only): edits the entries of a custom file.
// The decisions are CCustomFileEdit's; the page shows the busy dialog, the
// wait cursor, the file dialog, the save dialog and the outcome's messages,
// and mirrors the logic into its controls. Control changes made while the
// page fills itself do not write back.
class CCustomFilePage : public CPaperEditPage {
    Q_OBJECT
public:
    static constexpr int kPageIndex = 5;

    explicit CCustomFilePage(CMainWindow* mainWindow);
    ~CCustomFilePage() override;

    CFileQualityTab* QualityTab() const { return m_quality; }
    CFileCutTab* CutTab() const { return m_cut; }
    CCustomFileEdit* Logic() const { return m_logic.get(); }

    bool OnPageShow() override;
    void OnDriverSettingsChanged() override;

    // What Browse does with a chosen file (also after the file dialog).
    void OpenFile(const QString& path);

    // Opens the detail dialog for the page's record: the media type detail
    // for the page's own Detail button, else the tab's.
    enum class Detail { MediaType, PaperFeed, ColorDensity, PrintQuality };
    void OpenDetailDialog(Detail which);

protected:
    void OnNamePicked(int index) override;
    void OnMediaPicked(int index) override;
    void OnThicknessTyped() override;
    void OnPlatenPicked(int index) override;
    void OnMediaDetail() override;
    void OnPattern() override;
    void OnSave() override;
    void OnBrowse() override;

private:
    bool EnsureLogic();
    void Mirror(bool refillMedia, bool loadTabs);
    void MirrorNames();
    void ShowMessageOf(const CCustomFileEdit::Message& message);

    std::unique_ptr<CCustomFileEdit> m_logic;
    CFileQualityTab* m_quality = nullptr;
    CFileCutTab* m_cut = nullptr;
    bool m_running = false;
};
