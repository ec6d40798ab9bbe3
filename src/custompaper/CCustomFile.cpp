#include "custompaper/CCustomFile.h"

#include "base/RegularFile.h"
#include "base/TextScan.h"
#include "custompaper/CCustomFileIndex.h"
#include "custompaper/CustomFileText.h"

#include <cstdio>
#include <utility>

namespace {

constexpr const char* kPrefix = "ORVEX ";
constexpr std::size_t kPrefixLength = 6;

bool IsText(const std::string& bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F) return false;
    }
    return true;
}

} // namespace

CCustomFile::CCustomFile(std::string driverName) : m_driverName(std::move(driverName)) {}

std::string CCustomFile::ModelOf(const std::string& driverName) {
    if (driverName.size() > kPrefixLength && driverName.compare(0, kPrefixLength, kPrefix) == 0)
        return driverName.substr(kPrefixLength);
    return driverName;
}

std::string CCustomFile::SectionOf(int k) {
    char section[32];
    std::snprintf(section, sizeof section, "Media%02d", k);
    return section;
}

CCustomFile::Problem CCustomFile::Load(const std::string& path, std::string& text) {
    switch (RegularFile::Read(path, kMaxFileSize, text)) {
    case RegularFile::Result::Ok:
        break;
    case RegularFile::Result::CannotOpen:
        return Problem::CannotOpen;
    case RegularFile::Result::NotRegular:
        return Problem::NotRegular;
    case RegularFile::Result::TooLarge:
        return Problem::TooLarge;
    case RegularFile::Result::ReadError:
        return Problem::ReadError;
    }
    if (!IsText(text)) {
        text.clear();
        return Problem::Binary;
    }
    return Problem::None;
}

std::string_view CCustomFile::WithoutMark(const std::string& text) {
    std::string_view view(text);
    if (view.substr(0, CustomFileText::kUtf8Mark.size()) == CustomFileText::kUtf8Mark)
        view.remove_prefix(CustomFileText::kUtf8Mark.size());
    return view;
}

CCustomFile::Problem CCustomFile::CheckModel(const CCustomFileIndex& index,
                                             const std::string& driverName) {
    const std::string* model = index.Find(kBase, "Model");
    if (!model) return Problem::NotCustomFile;
    return *model == ModelOf(driverName) ? Problem::None : Problem::OtherModel;
}

int CCustomFile::CountOf(const CCustomFileIndex& index) {
    const std::string* value = index.Find(kBase, "MediaCount");
    if (!value) return -1;
    const std::int32_t count = TextScan::Atoi(*value);
    return count < 0 || count > kMaxEntries ? -1 : count;
}

bool CCustomFile::Read(CCustomFileIndex& index) {
    if (m_path.empty()) {
        m_problem = Problem::NotAttached;
        return false;
    }
    std::string text;
    m_problem = Load(m_path, text);
    if (m_problem != Problem::None) return false;
    index = CCustomFileIndex(WithoutMark(text));
    return true;
}

int CCustomFile::Attach(const std::string& path) {
    m_path = path;
    CCustomFileIndex index;
    if (Read(index)) m_problem = CheckModel(index, m_driverName);
    if (m_problem != Problem::None) {
        m_path.clear();
        return -1;
    }
    return 0;
}

int CCustomFile::MediaCount() {
    CCustomFileIndex index;
    if (!Read(index)) return -1;
    return CountOf(index);
}

int CCustomFile::ReadNames(std::vector<std::string>& names, int count) {
    CCustomFileIndex index;
    if (!Read(index)) return -1;
    const int n = CountOf(index);
    if (count < 1 || n < 0 || n > count) return -1;
    std::vector<std::string> read;
    for (int k = 1; k <= count; ++k) {
        const std::string* name = index.Find(SectionOf(k), "CustomName");
        if (!name) return -1;
        read.push_back(CustomFileText::CutCharacters(CustomFileText::Decode(*name), kNameLength));
    }
    names = std::move(read);
    return 0;
}

int CCustomFile::ReadEntry(int k, CustomFileRecord& record) {
    CCustomFileIndex index;
    if (!Read(index)) return -1;
    if (k < 1 || k > CountOf(index)) return -1;
    const std::string section = SectionOf(k);
    CustomFileRecord r = record;
    const std::string* v;
    const auto number = [&](const char* key, std::int32_t& field) {
        if (!(v = index.Find(section, key))) return false;
        field = TextScan::Atoi(*v);
        return true;
    };
    if (!(v = index.Find(section, "CustomName"))) return -1;
    r.CustomName = CustomFileText::Decode(*v);
    if (!number("ID", r.ID) || !number("Mode", r.Mode) || !number("Density", r.Density) ||
        !number("Forward", r.Forward) || !number("Drytime", r.Drytime) ||
        !number("Paperthick", r.Paperthick) || !number("Paperdraw", r.Paperdraw) ||
        !number("PaperCut", r.PaperCut))
        return -1;
    if (!(v = index.Find(section, "InkMode"))) return -1;
    const std::size_t first = v->find_first_not_of(" \t");
    r.InkMode = first == std::string::npos
                    ? std::string()
                    : v->substr(first, v->find_last_not_of(" \t") - first + 1);
    if (!number("Platen", r.Platen) || !number("Roller", r.Roller) || !number("SID", r.SID))
        return -1;
    record = std::move(r);
    return 0;
}

int CCustomFile::Lookup(const std::string& section, const std::string& key, std::string& value) {
    CCustomFileIndex index;
    if (!Read(index)) return -1;
    const std::string* found = index.Find(section, key);
    if (!found) return -1;
    value = *found;
    return 0;
}

const char* CCustomFile::Describe(Problem p) {
    switch (p) {
    case Problem::None:
        return "a custom file";
    case Problem::NotAttached:
        return "no custom file is open";
    case Problem::CannotOpen:
        return "the file cannot be opened";
    case Problem::NotRegular:
        return "it is not a regular file";
    case Problem::TooLarge:
        return "the file is too large to be a custom file";
    case Problem::ReadError:
        return "the file cannot be read";
    case Problem::Binary:
        return "the file is not text, so not a custom file";
    case Problem::NotCustomFile:
        return "the file is not a custom file (no model in its \"Base\" section)";
    case Problem::OtherModel:
        return "the file is a custom file of another printer model";
    }
    return "the file cannot be used";
}
