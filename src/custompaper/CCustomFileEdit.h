#pragma once

#include "custompaper/CPaperSettingsChoice.h"
#include "custompaper/CustomFileRecord.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CMediaTable;
class MediaDriver;

// The decisions of the custom file page, without its window: the media
// list, the file opened with Browse and its name selector (entries that do
// not suit the driver marked unavailable), loading an entry into the page's
// record, the thickness and platen gap rules, the Detail rule, and the
// record completed for a save. Nothing reaches the file before Save, which
// the save dialog writes.
class CCustomFileEdit {
public:
    static constexpr int kTextBusyCaption = 50000;
    static constexpr int kTextNotReady = 901;
    static constexpr int kTextOtherModel = 50900;
    static constexpr int kTextUnreadable = 50901;
    static constexpr int kTextOverwrite = 50902;
    static constexpr int kTextNotWritable = 50903;
    static constexpr int kTextPatternSent = 50904;
    static constexpr int kTextNewSetting = 50110;
    static constexpr int kPlatenFirstText = 50131;
    static constexpr int kShowTimeoutMs = 60000;
    static constexpr int kNewSettingItem = 0;
    static constexpr const char* kFileFilter = "ZMD File(*.ZMD)|*.ZMD|All Files(*.*)|*.*||";
    static constexpr const char* kExtension = "ZMD";

    enum class Icon { Warning, Information };
    struct Message {
        int text; // 0: none
        Icon icon;
        bool question;
        bool operator==(const Message&) const = default;
    };
    static constexpr std::array<Message, 10> kReviewMessages{{
        {kTextUnreadable, Icon::Warning, false},
        {kTextOtherModel, Icon::Warning, false},
        {kTextOverwrite, Icon::Warning, true},
        {kTextNotWritable, Icon::Warning, false},
        {50950, Icon::Warning, false},
        {50951, Icon::Warning, false},
        {50952, Icon::Warning, false},
        {50953, Icon::Warning, false},
        {50954, Icon::Warning, false},
        {kTextPatternSent, Icon::Information, false},
    }};

    enum class OpenOutcome {
        Opened,          // the file is current, its entries listed
        OtherModel,      // 50900: not a custom file of this model; nothing changed
        CountUnreadable, // 50901: the file is current, no entry listed
        NamesUnreadable, // 50901: the file is current, no entry listed
    };
    enum class PickOutcome {
        NewSetting, // item 0: the defaults with the first media
        Loaded,     // the entry is the page's record
        Unreadable, // 50901: the page is back on a new setting
    };
    using PatternOutcome = CPaperSettingsChoice::PatternOutcome;

    static Message MessageFor(OpenOutcome outcome);
    static Message MessageFor(PickOutcome outcome);
    static Message MessageFor(PatternOutcome outcome);

    // An item of the name selector: item 0 is the new setting, entry k is
    // item k with data k (and the unavailable mark when it cannot be used).
    struct NameItem {
        std::string text;
        std::uint32_t data;
    };

    // `platenReset` is the page type's shared flag (true at program start).
    CCustomFileEdit(const CMediaTable& media, bool& platenReset, std::string newSettingText);

    CPaperSettingsChoice& Choice() { return m_choice; }
    const CPaperSettingsChoice& Choice() const { return m_choice; }
    CustomFileRecord& Record() { return m_record; }
    bool Loading() const { return m_loading; }

    // The page is being shown for `printer`: the media list is rebuilt for
    // another printer (first media, its thickness, Roller 0), else remarked.
    void Show(const std::string& printer, MediaDriver& driver);

    // Browse chose `path`: attached and listed for the driver's model and
    // ink arrangement.
    OpenOutcome Open(const std::string& path, const std::string& driverName, MediaDriver& driver);
    const std::string& Path() const { return m_path; }
    // The current file's name without its folder.
    std::string FileName() const;
    const std::vector<NameItem>& NameItems() const { return m_names; }
    int NameIndex() const { return m_nameIndex; }

    // Item k of the name selector was picked.
    PickOutcome PickName(int k, const std::string& driverName, MediaDriver& driver);
    void PickMedia(int index, MediaDriver& driver);
    std::string TypeThickness(const std::string& typed);
    void PickPlaten(int index);
    void DriverSettingsChanged(MediaDriver& driver);
    bool DetailEnabled() const { return m_detail; }

    // Fills in what a save needs from the media table and the driver: ID,
    // SID, the print mode's Hres, Vres and Mw, and the ink arrangement.
    void CompleteForSave(MediaDriver& driver);
    // The save dialog wrote `writtenPath`: the current file's list follows
    // it, and the page returns to a new setting.
    void Saved(const std::string& writtenPath, const std::string& driverName, MediaDriver& driver);

private:
    // The name items of the current file; false when its count or names
    // could not be read (only item 0 is left).
    OpenOutcome ListNames(const std::string& driverName, MediaDriver& driver);
    void NewSetting(MediaDriver& driver);
    void LoadFromRecord(MediaDriver& driver);
    void EvaluateDetail(MediaDriver& driver);

    const CMediaTable& m_media;
    CPaperSettingsChoice m_choice;
    std::string m_newSettingText;
    CustomFileRecord m_record;
    std::string m_path;
    std::vector<NameItem> m_names;
    int m_nameIndex = 0;
    bool m_loading = false;
    bool m_detail = false;
};
