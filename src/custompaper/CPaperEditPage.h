#pragma once

#include "app/CPage.h"

#include <QString>

class COwnerDrawCombo;
class CPaperSettingsChoice;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The layout the registration page and the custom file page share: a name
// selector, the media type with its Detail button, the paper thickness with
// its unit and the thickness pattern button, the platen gap, a tab control
// with two setting tabs, Save and Help; the file page adds its file row on
// top. The pages put their decisions in their logic objects; this class
// only builds the controls and mirrors the shared media, thickness and
// platen state into them.
class CPaperEditPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kWidth = 600;

    // Control ids.
    static constexpr int kFileLabel = 1060;
    static constexpr int kFileName = 1061;
    static constexpr int kBrowseButton = 1062;
    static constexpr int kNameLabel = 1063;
    static constexpr int kNameSelector = 1068;
    static constexpr int kMediaLabel = 1064;
    static constexpr int kMediaList = 1096;
    static constexpr int kMediaDetail = 1097;
    static constexpr int kThicknessLabel = 1065;
    static constexpr int kThicknessEdit = 1098;
    static constexpr int kThicknessUnit = 1066;
    static constexpr int kPatternButton = 1099;
    static constexpr int kPlatenLabel = 1067;
    static constexpr int kPlatenList = 1101;
    static constexpr int kTabControl = 1006;
    static constexpr int kSaveButton = 1102;
    static constexpr int kHelpButton = 1003;

    // The label texts of one page kind.
    struct Texts {
        int fileLabel; // -1: no file row
        int browse;
        int nameLabel;
        int mediaLabel;
        int mediaDetail;
        int thicknessLabel;
        int thicknessUnit;
        int pattern;
        int platenLabel;
        int firstTab;
        int secondTab;
        int save;
        int help;
    };

    COwnerDrawCombo* NameSelector() const { return m_name; }
    COwnerDrawCombo* MediaList() const { return m_media; }
    QPushButton* MediaDetailButton() const { return m_mediaDetail; }
    QLineEdit* ThicknessEdit() const { return m_thickness; }
    QPushButton* PatternButton() const { return m_pattern; }
    QComboBox* PlatenList() const { return m_platen; }
    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* HelpButton() const { return m_help; }
    // The file page's row; null on the registration page.
    QLabel* FileNameText() const { return m_fileName; }
    QPushButton* BrowseButton() const { return m_browse; }

protected:
    // `firstTab` and `secondTab` become the tab control's pages.
    CPaperEditPage(int index, CMainWindow* mainWindow, const Texts& texts, QWidget* firstTab,
                   QWidget* secondTab);

    // What the controls do; each runs only on the operator's action.
    virtual void OnNamePicked(int index) = 0;
    virtual void OnMediaPicked(int index) = 0;
    virtual void OnThicknessTyped() = 0;
    virtual void OnPlatenPicked(int index) = 0;
    virtual void OnMediaDetail() = 0;
    virtual void OnPattern() = 0;
    virtual void OnSave() = 0;
    virtual void OnBrowse() {}

    // Shows the media list (refilled when `refill` or its size changed,
    // otherwise only the marks), the thickness text and the platen items.
    void MirrorChoice(const CPaperSettingsChoice& choice, bool refill);
    // The thickness and platen part only (after a thickness was typed).
    void MirrorThickness(const CPaperSettingsChoice& choice);
    // Fills the name selector.
    void SetNameItems(const QStringList& texts, const QList<std::uint32_t>& data, int selected);

private:
    COwnerDrawCombo* m_name = nullptr;
    COwnerDrawCombo* m_media = nullptr;
    QPushButton* m_mediaDetail = nullptr;
    QLineEdit* m_thickness = nullptr;
    QPushButton* m_pattern = nullptr;
    QComboBox* m_platen = nullptr;
    QTabWidget* m_tabs = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_help = nullptr;
    QLabel* m_fileName = nullptr;
    QPushButton* m_browse = nullptr;
};
