#include "sampleprint/SamplePlans.h"

#include "app/CSettingsKey.h"
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"
#include "sampleprint/CDriverSettingsAccess.h"
#include "sampleprint/SampleSheetParts.h"

#include <algorithm>
#include <set>

namespace {

// Label name texts the dialogs put in place of the builders' own.
constexpr int kTextMediaName = 50004;
constexpr int kTextMode = 50010;
constexpr int kTextDensity = 50011;
constexpr int kTextFeed = 30009;
constexpr int kTextModeFirst = 50160; // modes 1 .. 4: 50160 .. 50163

// Where the builders put the labels the dialogs replace.
constexpr int kSlotFeedLabel = 3;
constexpr int kFileModeLabel = 3;
constexpr int kFileDensityLabel = 4;
constexpr int kFileFeedLabel = 5;

// Media type and feed sheets of a slot go out with mode 2 whatever the
// driver had.
constexpr int kSlotMode = 2;

std::uint8_t Low(std::int32_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

std::vector<std::string> RecordLabels(const SampleRecord& record, const TextLookup& text,
                                      const MediaNameLookup& mediaName) {
    if (record.file) return BuildCustomFileLabels(*record.file, text, mediaName);
    return BuildRegistrationLabels(*record.slot, text, mediaName);
}

SamplePlan NewPlan(SampleDialog dialog, const SampleRecord& record, bool series) {
    SamplePlan plan;
    plan.dialog = dialog;
    plan.hasRecord = !record.Empty();
    plan.record = record;
    plan.series = series;
    return plan;
}

void SetByte(std::vector<SamplePaperByte>& bytes, int offset, std::uint8_t value) {
    for (SamplePaperByte& b : bytes) {
        if (b.offset == offset) {
            b.value = value;
            return;
        }
    }
    bytes.push_back({offset, value});
}

} // namespace

std::vector<SamplePaperByte> RecordPaperBytes(const SampleRecord& record) {
    std::vector<SamplePaperByte> bytes;
    if (record.file) {
        const CustomFileRecord& r = *record.file;
        bytes = {{8, Low(r.Density)},
                 {9, Low(r.Forward)},
                 {10, Low(r.Drytime)},
                 {11, Low(r.Paperthick)},
                 {12, Low(PaperdrawPercent(r.Paperdraw))},
                 {13, Low(r.PaperCut)},
                 {15, Low(r.Platen)},
                 {16, Low(r.Roller)}};
    } else if (record.slot) {
        const CustomPaperSlot& r = *record.slot;
        bytes = {{9, Low(r.Forward)},     {10, Low(r.Drytime)},
                 {11, Low(r.Paperthick)}, {12, Low(PaperdrawPercent(r.Paperdraw))},
                 {13, Low(r.PaperCut)},   {15, Low(r.Platen)},
                 {16, Low(r.Roller)}};
    }
    return bytes;
}

void ApplyPaperBytes(SamplePaperRecord& record, const std::vector<SamplePaperByte>& bytes) {
    for (const SamplePaperByte& b : bytes) {
        if (b.offset >= 8 && b.offset < 8 + static_cast<int>(sizeof record.data))
            record.Byte(b.offset) = b.value;
    }
}

std::vector<int> FeedSamplePoints(int a, int b) {
    if (b < a) std::swap(a, b);
    // Widened: the edits keep the ends within -70 .. 70, but a plan may come
    // from elsewhere (plotcare-cli).
    const std::int64_t lo = a, d = static_cast<std::int64_t>(b) - a;
    switch (d) {
    case 0:
        return {a};
    case 1:
        return {a, b};
    case 2:
        return {a, a + 1, b};
    case 3:
        return {a, a + 1, b - 1, b};
    default:
        return {a, static_cast<int>(lo + d / 4), static_cast<int>(lo + 2 * d / 4),
                static_cast<int>(lo + 3 * d / 4), b};
    }
}

std::string FeedPointsText(const std::vector<int>& points) {
    std::string out;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i) out += ", ";
        out += std::to_string(points[i]);
    }
    return out;
}

SamplePlan MediaTypePlan(const SampleRecord& record, const std::vector<SampleMediaChoice>& ticked,
                         const TextLookup& text, const MediaNameLookup& mediaName) {
    SamplePlan plan = NewPlan(SampleDialog::MediaType, record, true);
    if (record.Empty()) return plan;
    std::vector<std::string> rest = RecordLabels(record, text, mediaName);
    rest.erase(rest.begin()); // the builder's media label gives way to the ticked one
    const std::vector<SamplePaperByte> bytes = RecordPaperBytes(record);
    for (const SampleMediaChoice& media : ticked) {
        SampleSheet sheet;
        sheet.mediaValue = media.id;
        sheet.mode = kSlotMode;
        sheet.paperBytes = bytes;
        sheet.labels.push_back(TextLabel(text(kTextMediaName), media.name));
        sheet.labels.insert(sheet.labels.end(), rest.begin(), rest.end());
        sheet.highlightIndex = 0;
        plan.sheets.push_back(std::move(sheet));
    }
    return plan;
}

SamplePlan PaperFeedPlan(const SampleRecord& record, int a, int b, const TextLookup& text,
                         const MediaNameLookup& mediaName) {
    SamplePlan plan = NewPlan(SampleDialog::PaperFeed, record, true);
    if (record.Empty()) return plan;
    const std::vector<std::string> labels = RecordLabels(record, text, mediaName);
    const std::vector<SamplePaperByte> bytes = RecordPaperBytes(record);
    const int feedLabel = record.file ? kFileFeedLabel : kSlotFeedLabel;
    for (int point : FeedSamplePoints(a, b)) {
        SampleSheet sheet;
        sheet.mediaValue = record.file ? record.file->MediaId : record.slot->MediaId;
        sheet.mode = record.file ? record.file->Mode : kSlotMode;
        sheet.paperBytes = bytes;
        SetByte(sheet.paperBytes, 9, Low(point));
        sheet.labels = labels;
        sheet.labels[static_cast<std::size_t>(feedLabel)] = NumberLabel(text(kTextFeed), point);
        sheet.highlightIndex = feedLabel;
        plan.sheets.push_back(std::move(sheet));
    }
    return plan;
}

SamplePlan ColorDensityPlan(const CustomFileRecord* record, int density, const TextLookup& text,
                            const MediaNameLookup& mediaName) {
    SamplePlan plan = NewPlan(SampleDialog::ColorDensity, SampleRecord{nullptr, record}, false);
    if (!record) return plan;
    SampleSheet sheet;
    sheet.mediaValue = record->MediaId;
    sheet.mode = record->Mode;
    sheet.paperBytes = RecordPaperBytes(SampleRecord{nullptr, record});
    SetByte(sheet.paperBytes, 8, Low(density));
    sheet.labels = BuildCustomFileLabels(*record, text, mediaName);
    sheet.labels[kFileDensityLabel] = NumberLabel(text(kTextDensity), density);
    sheet.highlightIndex = kFileDensityLabel;
    plan.sheets.push_back(std::move(sheet));
    return plan;
}

SamplePlan PrintQualityPlan(const CustomFileRecord* record, const std::vector<int>& modes,
                            const TextLookup& text, const MediaNameLookup& mediaName) {
    SamplePlan plan = NewPlan(SampleDialog::PrintQuality, SampleRecord{nullptr, record}, true);
    if (!record) return plan;
    const std::vector<std::string> labels = BuildCustomFileLabels(*record, text, mediaName);
    const std::vector<SamplePaperByte> bytes = RecordPaperBytes(SampleRecord{nullptr, record});
    // The check boxes print in their own order, each mode once.
    std::set<int> ordered;
    for (int m : modes) {
        if (m >= 1 && m <= 4) ordered.insert(m);
    }
    for (int m : ordered) {
        SampleSheet sheet;
        sheet.mediaValue = record->MediaId;
        sheet.mode = m;
        sheet.paperBytes = bytes;
        sheet.labels = labels;
        sheet.labels[kFileModeLabel] = TextLabel(text(kTextMode), text(kTextModeFirst + m - 1));
        sheet.highlightIndex = kFileModeLabel;
        plan.sheets.push_back(std::move(sheet));
    }
    return plan;
}

std::string ImageChoiceValueName(SampleDialog dialog, const SampleRecord& record) {
    if (record.file) {
        switch (dialog) {
        case SampleDialog::MediaType:
            return "CFileSampleMedia";
        case SampleDialog::PaperFeed:
            return "CFileSampleFeeding";
        case SampleDialog::ColorDensity:
            return "CFileSampleCardinality";
        case SampleDialog::PrintQuality:
            return "CFileSamplePrintMode";
        }
    } else if (record.slot) {
        switch (dialog) {
        case SampleDialog::MediaType:
            return "SampleMedia";
        case SampleDialog::PaperFeed:
            return "SampleFeeding";
        case SampleDialog::ColorDensity:
        case SampleDialog::PrintQuality:
            break; // these dialogs open with a custom file entry only
        }
    }
    return {};
}

ImageChoice ReadImageChoice(const std::string& modelName, SampleDialog dialog,
                            const SampleRecord& record) {
    const std::string name = ImageChoiceValueName(dialog, record);
    if (name.empty()) return {};
    const CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    ImageChoice choice;
    choice.radio = key.ReadNumber(modelName, name + "R", ImageChoice::kStandard);
    choice.userPath = key.ReadString(modelName, name, "");
    return choice;
}

int WriteImageChoice(const std::string& modelName, SampleDialog dialog, const SampleRecord& record,
                     const ImageChoice& choice) {
    const std::string name = ImageChoiceValueName(dialog, record);
    if (name.empty()) return 0;
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    int status = key.WriteNumber(modelName, name + "R", choice.radio);
    if (status == 0 && choice.radio == ImageChoice::kUserDefined)
        status = key.WriteString(modelName, name, choice.userPath);
    return status;
}
