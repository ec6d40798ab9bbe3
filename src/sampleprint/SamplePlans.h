#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct CustomPaperSlot;
struct CustomFileRecord;
struct SamplePaperRecord;

// The sheets each detail dialog prints, as data: what goes into the driver
// for each sheet (media value and mode, the paper adjustment bytes) and the
// labels the sheet carries. The sample print procedure (CSampleProcedure)
// runs a plan; the dialogs and plotcare-cli only build one.

enum class SampleDialog { MediaType, PaperFeed, ColorDensity, PrintQuality };

// The custom paper setting a dialog was opened with: a slot of the printer
// or an entry of a custom file (at most one of the two; neither: the dialog
// prints nothing). Not owned.
struct SampleRecord {
    const CustomPaperSlot* slot = nullptr;
    const CustomFileRecord* file = nullptr;

    bool Empty() const { return !slot && !file; }
};

// One byte of the driver's paper adjustment record, by its offset (8 .. 19).
struct SamplePaperByte {
    int offset;
    std::uint8_t value;

    bool operator==(const SamplePaperByte&) const = default;
};

struct SampleSheet {
    std::int32_t mediaValue = 0;
    int mode = 2; // SetMediaValue's mode: 1, 2 through item 70; 3, 4 through item 214
    // The bytes written over the driver's record; the others keep what the
    // driver returned.
    std::vector<SamplePaperByte> paperBytes;
    std::vector<std::string> labels;
    int highlightIndex = 0; // the label drawn large, and the job's title

    const std::string& Title() const { return labels.at(static_cast<std::size_t>(highlightIndex)); }
};

struct SamplePlan {
    SampleDialog dialog = SampleDialog::MediaType;
    bool hasRecord = false;
    // The record the plan was made from (for the remembered image choice).
    SampleRecord record;
    // Several sheets printed by the series rule (media type, paper feed,
    // print quality); the density dialog prints a single sheet.
    bool series = false;
    std::vector<SampleSheet> sheets;
};

using TextLookup = std::function<std::string(int textId)>;
using MediaNameLookup = std::function<std::string(int mediaId)>;

// A media type the operator ticked: its id and its name as listed.
struct SampleMediaChoice {
    std::int32_t id;
    std::string name;
};

// One sheet per ticked media, each printed with mode 2; the media label is
// the list's name, highlighted.
SamplePlan MediaTypePlan(const SampleRecord& record, const std::vector<SampleMediaChoice>& ticked,
                         const TextLookup& text, const MediaNameLookup& mediaName);
// One sheet per point of FeedSamplePoints(a, b): byte 9 and the feed label
// hold the point.
SamplePlan PaperFeedPlan(const SampleRecord& record, int a, int b, const TextLookup& text,
                         const MediaNameLookup& mediaName);
// One sheet at `density` (-50 .. 50): byte 8 and the density label. A file
// record only.
SamplePlan ColorDensityPlan(const CustomFileRecord* record, int density, const TextLookup& text,
                            const MediaNameLookup& mediaName);
// One sheet per ticked print mode (1 .. 4, printed in ascending order).
SamplePlan PrintQualityPlan(const CustomFileRecord* record, const std::vector<int>& modes,
                            const TextLookup& text, const MediaNameLookup& mediaName);

// The feed values sampled between a and b (either order): one point when
// they are equal, every value up to four points, else five points a quarter
// of the range apart, from the smaller to the larger end.
std::vector<int> FeedSamplePoints(int a, int b);
// "-70, -35, 0, 35, 70"
std::string FeedPointsText(const std::vector<int>& points);

// The paper adjustment bytes a record puts into the driver (bytes 8 .. 16;
// byte 8 from a file record only). Each value is its low byte.
std::vector<SamplePaperByte> RecordPaperBytes(const SampleRecord& record);
// Writes the bytes over the record (later entries of one offset win);
// offsets outside 8 .. 19 are ignored.
void ApplyPaperBytes(SamplePaperRecord& record, const std::vector<SamplePaperByte>& bytes);

// The remembered sample image of a dialog: the radio button (1151 standard,
// 1152 user-defined; 0 none) and the user-defined path.
struct ImageChoice {
    static constexpr int kStandard = 1151;
    static constexpr int kUserDefined = 1152;

    int radio = 0;
    std::string userPath;

    bool operator==(const ImageChoice&) const = default;
};

// The settings value name of a dialog's image path ("CFileSampleMedia",
// "SampleFeeding", ...); the radio's value is this name followed by "R".
// Empty when the dialog takes no such record (or there is none).
std::string ImageChoiceValueName(SampleDialog dialog, const SampleRecord& record);

// Reads the choice under the utility's settings key, subkey `modelName`:
// radio default 1151, path default empty; {0, ""} when the dialog has no
// value name for the record.
ImageChoice ReadImageChoice(const std::string& modelName, SampleDialog dialog,
                            const SampleRecord& record);
// Stores the radio and, for a user-defined image, the path. The settings
// store's status (0 success); nothing is written without a value name.
int WriteImageChoice(const std::string& modelName, SampleDialog dialog, const SampleRecord& record,
                     const ImageChoice& choice);
