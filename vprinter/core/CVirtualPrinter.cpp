#include "CVirtualPrinter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "FirmwareImage.h"
#include "SnmpV1.h"

namespace vprinter {

namespace {

// How long the printer is busy with each kind of work, before scaling.
constexpr std::int64_t kCleaningMs = 60000;
constexpr std::int64_t kNozzlePrintMs = 45000;
constexpr std::int64_t kNozzleSensorMs = 150000;
constexpr std::int64_t kSheetMs = 30000;
constexpr std::int64_t kPatternPrintMs = 40000;
constexpr std::int64_t kAutoBiPatternMs = 240000;
constexpr std::int64_t kAutoBiAllMs = 900000;
constexpr std::int64_t kAutoUniPatternMs = 180000;
constexpr std::int64_t kAutoUniAllMs = 660000;
constexpr std::int64_t kPdfSheetMs = 60000;
constexpr std::int64_t kFirmwareRestartMs = 90000;

constexpr std::size_t kLogLimit = 2000;
constexpr std::size_t kJobHistoryLimit = 50;

const char* kInkNames8[8] = {"Photo Black", "Cyan", "Magenta", "Light Cyan", "Light Magenta",
                             "Yellow", "Light Black", "Matte Black"};
const char* kInkNames4[4] = {"Black", "Cyan", "Magenta", "Yellow"};

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool ParseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 0);
    return errno == 0 && end && *end == '\0';
}

// The title of a PDF, when it carries a plain "/Title (...)" entry.
std::string PdfTitle(const std::uint8_t* data, std::size_t length) {
    const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(length, 1 << 20));
    const auto at = text.find("/Title");
    if (at == std::string::npos) return {};
    auto open = text.find('(', at);
    if (open == std::string::npos || open > at + 16) return {};
    std::string title;
    for (std::size_t i = open + 1; i < text.size() && text[i] != ')' && title.size() < 32; ++i)
        if (text[i] != '\\') title.push_back(text[i]);
    return title;
}

// Paper length of the first page in mm, from its media box; 297 when unknown.
int PdfLengthMm(const std::uint8_t* data, std::size_t length) {
    const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(length, 1 << 20));
    const auto at = text.find("/MediaBox");
    if (at == std::string::npos) return 297;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const auto open = text.find('[', at);
    if (open == std::string::npos) return 297;
    if (std::sscanf(text.c_str() + open + 1, "%lf %lf %lf %lf", &x0, &y0, &x1, &y1) != 4) return 297;
    const double mm = (y1 - y0) / 72.0 * 25.4;
    if (!(mm > 0) || mm > 65535) return 297;
    return static_cast<int>(std::lround(mm));
}

int PdfPages(const std::uint8_t* data, std::size_t length) {
    const std::string text(reinterpret_cast<const char*>(data), length);
    int pages = 0;
    for (std::size_t at = text.find("/Type"); at != std::string::npos; at = text.find("/Type", at + 5)) {
        std::size_t p = at + 5;
        while (p < text.size() && (text[p] == ' ' || text[p] == '/')) ++p;
        if (text.compare(p, 4, "Page") == 0 && (p + 4 >= text.size() || text[p + 4] != 's')) ++pages;
    }
    return std::max(pages, 1);
}

} // namespace

struct CVirtualPrinter::Session {
    int thickness = -1;
    int platen = -1;
    bool remote = false;
    std::vector<std::string> printed;
    std::int64_t busyMs = 0;
};

CVirtualPrinter::CVirtualPrinter(const Options& options, Clock clock)
    : m_options(options), m_clock(clock ? std::move(clock) : Clock(SteadyMs)) {
    if (m_options.outputDir.empty()) m_options.outputDir = m_options.stateDir + "/output";
    if (!(m_options.timeScale >= 0)) m_options.timeScale = 1.0;
    ::mkdir(m_options.stateDir.c_str(), 0755);
    ::mkdir(m_options.outputDir.c_str(), 0755);
    LoadPrinterState(m_options.stateDir, m_state);
    if (m_options.setModel) m_state.model = m_options.model;
    m_saved = m_state;
    Persist();
}

std::int64_t CVirtualPrinter::Now() const { return m_clock(); }

void CVirtualPrinter::AddLog(const std::string& line) {
    m_log.push_back(line);
    while (m_log.size() > kLogLimit) m_log.pop_front();
}

void CVirtualPrinter::Persist() {
    if (!m_options.writeFiles) return;
    PrinterState disk = m_state;
    disk.slots = m_saved.slots;
    disk.alignment = m_saved.alignment;
    disk.activeSetting = m_saved.activeSetting;
    SavePrinterState(m_options.stateDir, disk);
}

void CVirtualPrinter::Occupy(std::int64_t unscaledMs) {
    const auto scaled = static_cast<std::int64_t>(std::llround(static_cast<double>(unscaledMs) * m_options.timeScale));
    m_busyUntil = std::max(m_busyUntil, Now()) + scaled;
}

std::int64_t CVirtualPrinter::BusyRemainingMs() const { return std::max<std::int64_t>(0, m_busyUntil - Now()); }

bool CVirtualPrinter::IsOffline() const { return m_faults.offline || Now() < m_offlineUntil; }

std::int64_t CVirtualPrinter::RestartRemainingMs() const {
    const std::int64_t left = m_offlineUntil - Now();
    return left > 0 ? left : -1;
}

int CVirtualPrinter::StateCode() const {
    if (m_faults.errorState) return kStateError;
    if (m_faults.neverReady || Now() < m_busyUntil) return kStateBusy;
    return kStateReady;
}

StatusInfo CVirtualPrinter::Status() const {
    StatusInfo info;
    info.state = StateCode();
    info.maintenanceCapacity = m_faults.field0DLow ? 10 : m_state.maintenanceCapacity;
    info.inkCount = m_state.inkCount;
    for (int i = 0; i < 8; ++i) info.inkLevels[i] = m_state.inkLevels[static_cast<std::size_t>(i)];
    if (m_faults.inkLow >= 0 && m_faults.inkLow < 8) info.inkLevels[m_faults.inkLow] = 20;
    return info;
}

std::vector<std::uint8_t> CVirtualPrinter::StatusReply() {
    std::vector<std::uint8_t> reply = BuildStatusReply(Status());
    if (m_faults.truncatedStatus) {
        // The header and the first field arrive; the length still claims all.
        const std::size_t header = std::char_traits<char>::length(kStatusHeader);
        reply.resize(std::min(reply.size(), header + 2 + 3));
    }
    return reply;
}

std::string CVirtualPrinter::DeviceId() const {
    return BuildDeviceId(m_state.model, m_faults.wrongDeviceId ? "ORVEX Lumen 2400" : ModelDriverName(m_state.model));
}

void CVirtualPrinter::Garble(std::string& text) const {
    for (std::size_t i = 0; i < text.size(); i += 2) text[i] = static_cast<char>(text[i] ^ 0x2A);
}

std::string CVirtualPrinter::QueryReply(const std::string& name, const std::vector<std::uint8_t>& p) {
    AddLog("query " + name + (p.empty() ? "" : " " + HexBytes(p)));
    if (m_faults.noReply) return {};
    if (name == "VI" && p.size() == 2 && p[0] == 0x01) return ReplyVersion(m_state.firmware);
    if (name == "SN" && p.size() == 2 && p[0] == 0x01 && p[1] == 0x01) return ReplySN(m_state.snLevel);
    if (name == "EX" && p.size() == 7 && p[0] == 0x01) {
        const int n = p[5];
        if (p[4] == 0x1B) {
            if (n >= 0x80 && n < 0x8A) return ReplySlotSettings(m_state.slots[static_cast<std::size_t>(n - 0x80)].data);
            return ReplySlotSettings(MediaSettings(m_state, n));
        }
        if (p[4] == 0x1D) return ReplyNameList(m_state, n);
    }
    if (name == "JI" && p.size() == 2 && p[0] == 0x01) {
        const std::size_t k = p[1];
        const JobRecord* job = k < m_state.jobs.size() ? &m_state.jobs[m_state.jobs.size() - 1 - k] : nullptr;
        return ReplyJob(job, static_cast<int>(k));
    }
    return ReplyUnknown(name);
}

CVirtualPrinter::Answer CVirtualPrinter::AnswerLocal(const std::string& name, const std::vector<std::uint8_t>& params) {
    Answer answer;
    if (IsOffline()) return answer;
    if (name == "ST") {
        answer.bytes = StatusReply();
        answer.send = true;
        return answer;
    }
    if (name == "DI") {
        const std::string id = DeviceId();
        const std::size_t n = id.size() + 2;
        answer.bytes.push_back(static_cast<std::uint8_t>(n >> 8));
        answer.bytes.push_back(static_cast<std::uint8_t>(n & 0xFF));
        answer.bytes.insert(answer.bytes.end(), id.begin(), id.end());
        answer.send = true;
        return answer;
    }
    std::string text = QueryReply(name, params);
    if (text.empty()) return answer;
    if (m_faults.garbledReply) Garble(text);
    answer.bytes.assign(text.begin(), text.end());
    answer.delayMs = m_faults.lateReplyMs;
    answer.send = true;
    return answer;
}

CVirtualPrinter::Answer CVirtualPrinter::AnswerSnmp(const std::uint8_t* data, std::size_t length) {
    Answer answer;
    if (IsOffline()) return answer;
    snmpv1::Message request;
    if (!snmpv1::Decode(data, length, request)) {
        AddLog("snmp refused: malformed message");
        return answer;
    }
    if (request.community != snmpv1::kCommunity) {
        AddLog("snmp refused: community");
        return answer;
    }
    if (request.pduType != snmpv1::kGetRequest) {
        AddLog("snmp refused: not a GetRequest");
        return answer;
    }
    snmpv1::Message response;
    response.community = request.community;
    response.pduType = snmpv1::kGetResponse;
    response.requestId = request.requestId;
    response.oid = request.oid;
    std::vector<std::uint8_t> command;
    if (snmpv1::UnwrapCommand(request.oid, command)) {
        std::vector<std::uint8_t> buffer = command;
        std::string name;
        std::vector<std::uint8_t> params;
        if (!TakeCommand(buffer, name, params) || !buffer.empty()) {
            response.errorStatus = snmpv1::kNoSuchName;
            response.errorIndex = 1;
        } else {
            std::string text = QueryReply(name, params);
            if (text.empty()) return answer;
            if (m_faults.garbledReply) Garble(text);
            response.valueType = snmpv1::kTypeOctetString;
            response.value = std::string(snmpv1::kReplyMarker) + text;
            answer.delayMs = m_faults.lateReplyMs;
        }
    } else if (request.oid == snmpv1::StatusOid()) {
        const std::vector<std::uint8_t> status = StatusReply();
        response.valueType = snmpv1::kTypeOctetString;
        response.value.assign(status.begin(), status.end());
    } else if (request.oid == snmpv1::DeviceIdOid()) {
        response.valueType = snmpv1::kTypeOctetString;
        response.value = DeviceId();
    } else {
        response.errorStatus = snmpv1::kNoSuchName;
        response.errorIndex = 1;
    }
    answer.bytes = snmpv1::Encode(response);
    answer.send = true;
    return answer;
}

std::string CVirtualPrinter::PrintFile(const std::string& kind, const std::string& extension,
                                       const std::string& content) {
    ++m_state.sheetsPrinted;
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%s.%s", m_state.sheetsPrinted, kind.c_str(), extension.c_str());
    WriteOutput(name, content);
    AddLog(std::string("printed ") + name);
    return name;
}

void CVirtualPrinter::WriteOutput(const std::string& name, const std::string& content) const {
    if (!m_options.writeFiles) return;
    // Written under another name first, so a viewer never sees half a sheet.
    const std::string path = m_options.outputDir + "/" + name;
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::rename(temp.c_str(), path.c_str());
}

void CVirtualPrinter::AddJobRecord(const std::string& source, const std::string& name, int lengthMm, int pages,
                                   int durationS) {
    JobRecord job;
    job.number = m_state.nextJobNumber;
    m_state.nextJobNumber = m_state.nextJobNumber >= 255 ? 1 : m_state.nextJobNumber + 1;
    job.source = source.substr(0, 16);
    job.name = name.substr(0, 32);
    job.lengthMm = lengthMm;
    job.pages = pages;
    job.time = static_cast<std::int64_t>(std::time(nullptr));
    job.durationS = durationS;
    m_state.jobs.push_back(job);
    while (m_state.jobs.size() > kJobHistoryLimit) m_state.jobs.erase(m_state.jobs.begin());
}

void CVirtualPrinter::ExecuteJob(const std::uint8_t* data, std::size_t length) {
    ++m_jobsReceived;
    AddLog("job " + std::to_string(length) + " bytes");
    const ParsedJob job = ParseJob(data, length);
    Session session;
    for (const JobItem& item : job.items) {
        switch (item.kind) {
        case JobItem::Kind::EnterRemote:
            session.remote = true;
            AddLog("enter-remote");
            break;
        case JobItem::Kind::ExitRemote:
            session.remote = false;
            AddLog("exit-remote");
            break;
        case JobItem::Kind::Reset:
        case JobItem::Kind::FormFeed:
            break;
        case JobItem::Kind::Command:
            RunCommand(session, item, data);
            break;
        case JobItem::Kind::EscBar:
            m_escBar = item.params.empty() ? -1 : item.params[0];
            AddLog("escbar " + std::to_string(m_escBar));
            break;
        case JobItem::Kind::Firmware:
            RunFirmware(item, data);
            break;
        case JobItem::Kind::Pdf:
            RunPdf(item, data);
            break;
        }
    }
    if (job.skippedBytes) AddLog("skipped " + std::to_string(job.skippedBytes) + " bytes");
    if (!session.printed.empty()) {
        AddJobRecord("Remote", session.printed.front(), 0, static_cast<int>(session.printed.size()),
                     static_cast<int>(session.busyMs / 1000));
    }
    Persist();
}

void CVirtualPrinter::RunCommand(Session& session, const JobItem& item, const std::uint8_t*) {
    const std::string& n = item.name;
    const std::vector<std::uint8_t>& p = item.params;
    AddLog(n + (p.empty() ? "" : " " + HexBytes(p)));
    auto busy = [&](std::int64_t ms) {
        Occupy(ms);
        session.busyMs += ms;
    };
    if (n == "SV") {
        m_saved.slots = m_state.slots;
        m_saved.alignment = m_state.alignment;
        m_saved.activeSetting = m_state.activeSetting;
    } else if (n == "LD") {
        m_state.slots = m_saved.slots;
        m_state.alignment = m_saved.alignment;
        m_state.activeSetting = m_saved.activeSetting;
    } else if (n == "PH" && p.size() == 2) {
        session.thickness = p[1];
    } else if (n == "SN" && p.size() == 3 && p[1] == 0x01) {
        session.platen = p[2];
    } else if (n == "VI" && p.size() == 2) {
        // Prints the version beside the pattern, which it always does here.
    } else if (n == "NC" && p.size() == 2) {
        if (p[1] == 0) {
            const std::string text = PrintFile("nozzle-check", "txt", RenderNozzleCheck());
            // The same sheet as a picture, under the same number.
            WriteOutput(text.substr(0, text.size() - 3) + "ppm", RenderNozzleImage());
            session.printed.push_back("Nozzle Check");
            busy(kNozzlePrintMs);
        } else {
            std::string report = "Automatic nozzle check (sensor)\nAll nozzles fire.\n";
            PrintFile("nozzle-sensor-report", "txt", report);
            busy(kNozzleSensorMs);
        }
    } else if (n == "CH" && p.size() == 2) {
        for (int i = 0; i < m_state.inkCount; ++i) {
            int& level = m_state.inkLevels[static_cast<std::size_t>(i)];
            level = std::max(0, level - 1);
        }
        m_state.maintenanceCapacity = std::max(0, m_state.maintenanceCapacity - 2);
        busy(kCleaningMs);
    } else if (n == "SS" && p.size() == 2) {
        if (p[1] & 0x01) {
            PrintFile("status-sheet", "txt", RenderStatusSheet());
            session.printed.push_back("Status Sheet");
            busy(kSheetMs);
        }
        if (p[1] & 0x02) {
            PrintFile("job-information", "txt", RenderJobSheet());
            session.printed.push_back("Job Information");
            busy(kSheetMs);
        }
        if (p[1] & 0x04) {
            PrintFile("custom-paper-configuration", "txt", RenderCustomConfig());
            session.printed.push_back("Custom Paper Configuration");
            busy(kSheetMs);
        }
    } else if (n == "EX" && p.size() == 7 && p[0] == 0x00 && p[4] == 0x1C && p[5] <= 10) {
        m_state.activeSetting = p[5];
    } else if (n == "EX" && p.size() == 103 && p[0] == 0x00 && p[4] == 0x1B && p[5] >= 1 && p[5] <= 10) {
        CustomSlot& slot = m_state.slots[static_cast<std::size_t>(p[5] - 1)];
        std::copy(p.begin() + 5, p.end(), slot.data.begin());
        slot.registered = true;
    } else if (n == "DA" && p.size() == 4 && (p[1] == 0x00 || p[1] == 0x10)) {
        char key[16];
        std::snprintf(key, sizeof key, "%s.%02X", p[1] == 0x00 ? "bi" : "uni", p[2]);
        m_state.alignment[key] = p[3];
    } else if (n == "DT" && p.size() == 3 && (p[1] == 0x00 || p[1] == 0x10)) {
        const bool bi = p[1] == 0x00;
        const int x = p[2];
        const int manualBase = bi ? 0x80 : 0x10;
        if (x > manualBase && x <= manualBase + 4) {
            const int row = x - manualBase;
            PrintFile(std::string(bi ? "bidirectional" : "unidirectional") + "-pattern-" + std::to_string(row), "txt",
                      RenderAlignment(bi, row));
            session.printed.push_back(bi ? "Bi-D Alignment Pattern" : "Uni-D Alignment Pattern");
            busy(kPatternPrintMs);
        } else if (x <= 4) {
            // The sensor reads the printed patterns and keeps what it found.
            const int columns = bi ? 8 : 7;
            std::ostringstream report;
            report << (bi ? "Automatic bidirectional alignment" : "Automatic unidirectional alignment") << "\n";
            for (int row = 1; row <= 4; ++row) {
                if (x != 0 && x != row) continue;
                report << "#" << row << ":";
                for (int c = 0; c < columns; ++c) {
                    const int code = 16 * (row - 1) + (bi ? 0 : 1) + c;
                    const int value = 4 + (row + c + m_state.sheetsPrinted) % 3;
                    char key[16];
                    std::snprintf(key, sizeof key, "%s.%02X", bi ? "bi" : "uni", code);
                    m_state.alignment[key] = value;
                    m_saved.alignment[key] = value;
                    report << " " << value;
                }
                report << "\n";
            }
            PrintFile(bi ? "auto-bidirectional-report" : "auto-unidirectional-report", "txt", report.str());
            session.printed.push_back(bi ? "Auto Bi-D Alignment" : "Auto Uni-D Alignment");
            busy(x == 0 ? (bi ? kAutoBiAllMs : kAutoUniAllMs) : (bi ? kAutoBiPatternMs : kAutoUniPatternMs));
        }
    }
    // Anything else is not a command this printer knows; it is ignored.
}

void CVirtualPrinter::RunFirmware(const JobItem& item, const std::uint8_t* job) {
    if (!item.complete) {
        AddLog("firmware rejected: image cut short");
        return;
    }
    std::string version;
    const int check = CheckFirmwareImage(job + item.offset, item.length, version);
    if (check != 0) {
        AddLog("firmware rejected: " + std::to_string(check));
        return;
    }
    AddLog("firmware accepted " + version);
    m_state.firmware = version;
    const auto restart =
        static_cast<std::int64_t>(std::llround(static_cast<double>(kFirmwareRestartMs) * m_options.timeScale));
    m_offlineUntil = Now() + restart;
    m_busyUntil = std::max(m_busyUntil, m_offlineUntil);
}

void CVirtualPrinter::RunPdf(const JobItem& item, const std::uint8_t* job) {
    const std::uint8_t* pdf = job + item.offset;
    const std::string file = PrintFile("sheet", "pdf", std::string(reinterpret_cast<const char*>(pdf), item.length));
    std::string title = PdfTitle(pdf, item.length);
    if (title.empty()) title = "Sheet";
    Occupy(kPdfSheetMs);
    AddJobRecord("PDF", title, PdfLengthMm(pdf, item.length), PdfPages(pdf, item.length),
                 static_cast<int>(kPdfSheetMs / 1000));
}

std::string CVirtualPrinter::RenderNozzleCheck() const {
    std::ostringstream out;
    out << "NOZZLE CHECK PATTERN  " << ModelDriverName(m_state.model) << "\n";
    out << "Firmware " << m_state.firmware << "\n";
    out << "\n";
    for (int i = 0; i < m_state.inkCount; ++i) {
        const char* ink = m_state.inkCount == 8 ? kInkNames8[i] : kInkNames4[i];
        char label[20];
        std::snprintf(label, sizeof label, "%-14s", ink);
        out << label;
        // A staircase of short lines, one per nozzle group; all nozzles fire.
        for (int step = 0; step < 4; ++step) out << std::string(static_cast<std::size_t>(step), ' ') << "|||||||| ";
        out << "\n";
    }
    return out.str();
}

std::string CVirtualPrinter::RenderNozzleImage() const {
    // One band per ink: four staircase steps of eight nozzle lines each. An
    // empty ink leaves its lines out, as a clogged head would.
    static const std::uint8_t colours8[8][3] = {{0, 0, 0},       {0, 160, 225},   {215, 0, 125},  {120, 205, 240},
                                                {240, 140, 200}, {250, 215, 0},   {110, 110, 110}, {40, 40, 40}};
    static const std::uint8_t colours4[4][3] = {{0, 0, 0}, {0, 160, 225}, {215, 0, 125}, {250, 215, 0}};
    const int inks = m_state.inkCount;
    const int width = 360, band = 48, height = band * inks + 16;
    std::string pixels(static_cast<std::size_t>(width * height * 3), static_cast<char>(255));
    auto put = [&](int x, int y, const std::uint8_t* rgb) {
        const std::size_t at = static_cast<std::size_t>((y * width + x) * 3);
        pixels[at] = static_cast<char>(rgb[0]);
        pixels[at + 1] = static_cast<char>(rgb[1]);
        pixels[at + 2] = static_cast<char>(rgb[2]);
    };
    for (int ink = 0; ink < inks; ++ink) {
        const std::uint8_t* rgb = inks == 8 ? colours8[ink] : colours4[ink];
        if (m_state.inkLevels[static_cast<std::size_t>(ink)] <= 0) continue;
        for (int step = 0; step < 4; ++step)
            for (int line = 0; line < 8; ++line) {
                const int x0 = 12 + step * 86 + line * 10;
                const int y0 = 8 + ink * band + step * 6;
                for (int y = y0; y < y0 + 24; ++y)
                    for (int x = x0; x < x0 + 3; ++x) put(x, y, rgb);
            }
    }
    return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" + pixels;
}

std::string CVirtualPrinter::RenderStatusSheet() const {
    std::ostringstream out;
    out << "STATUS SHEET  " << ModelDriverName(m_state.model) << "\n\n";
    out << "Firmware version: " << m_state.firmware << "\n";
    out << "Sheets printed: " << m_state.sheetsPrinted << "\n";
    out << "Maintenance tank free: " << m_state.maintenanceCapacity << " %\n";
    out << "Active paper setting: "
        << (m_state.activeSetting == 0 ? std::string("Standard") : "Custom " + std::to_string(m_state.activeSetting))
        << "\n\nInk levels:\n";
    for (int i = 0; i < m_state.inkCount; ++i)
        out << "  " << (m_state.inkCount == 8 ? kInkNames8[i] : kInkNames4[i]) << ": "
            << m_state.inkLevels[static_cast<std::size_t>(i)] << " %\n";
    out << "\nHead alignment values:\n";
    for (const auto& [key, value] : m_saved.alignment) out << "  " << key << " = " << value << "\n";
    return out.str();
}

std::string CVirtualPrinter::RenderJobSheet() const {
    std::ostringstream out;
    out << "JOB INFORMATION\n\n";
    for (auto it = m_state.jobs.rbegin(); it != m_state.jobs.rend(); ++it) {
        char when[32] = "";
        const std::time_t t = static_cast<std::time_t>(it->time);
        std::tm tm{};
        localtime_r(&t, &tm);
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &tm);
        out << "Job " << it->number << "  " << it->name << "  (" << it->source << ")  " << when << "  "
            << it->pages << " page(s), " << it->lengthMm << " mm, " << it->durationS << " s\n";
    }
    return out.str();
}

std::string CVirtualPrinter::RenderCustomConfig() const {
    std::ostringstream out;
    out << "CUSTOM PAPER CONFIGURATION\n\n";
    for (int i = 0; i < 10; ++i) {
        const CustomSlot& slot = m_saved.slots[static_cast<std::size_t>(i)];
        out << "Custom " << (i + 1) << ": ";
        if (!slot.registered) {
            out << "(not registered)\n";
            continue;
        }
        std::string name(reinterpret_cast<const char*>(slot.data.data() + 68), 30);
        name = Trim(name);
        out << name << "\n    media code " << int(slot.data[44]) << ", thickness " << int(slot.data[31])
            << ", platen gap " << int(slot.data[19]) << ", feed " << (int(slot.data[22]) - 101)
            << ", drying " << ((slot.data[36] << 8) | slot.data[37]) / 100 << ", suction byte " << int(slot.data[25])
            << "\n";
    }
    return out.str();
}

std::string CVirtualPrinter::RenderAlignment(bool bidirectional, int row) const {
    std::ostringstream out;
    out << (bidirectional ? "BIDIRECTIONAL" : "UNIDIRECTIONAL") << " ALIGNMENT PATTERN  #" << row << "\n\n";
    const int columns = bidirectional ? 8 : 7;
    for (int c = 0; c < columns; ++c) {
        const int code = 16 * (row - 1) + (bidirectional ? 0 : 1) + c;
        char key[16];
        std::snprintf(key, sizeof key, "%s.%02X", bidirectional ? "bi" : "uni", code);
        const auto it = m_state.alignment.find(key);
        const int current = it == m_state.alignment.end() ? 5 : it->second;
        out << "Column " << (c + 1) << " (current " << current << "):";
        for (int pattern = 1; pattern <= 9; ++pattern) {
            // The straightest pair of lines marks the pattern that fits.
            const int offset = std::abs(pattern - current);
            out << "  " << pattern << ":" << std::string(static_cast<std::size_t>(offset), '/') << "|";
        }
        out << "\n";
    }
    return out.str();
}

} // namespace vprinter

namespace vprinter {

std::string CVirtualPrinter::GetValue(const std::string& key, bool& ok) const {
    ok = true;
    if (key == "state") {
        if (IsOffline()) return "offline";
        const int code = StateCode();
        return code == kStateReady ? "ready" : code == kStateError ? "error" : "busy";
    }
    if (key == "status-code") return std::to_string(StateCode());
    if (key == "model") return ModelKey(m_state.model);
    if (key == "driver-name") return ModelDriverName(m_state.model);
    if (key == "device-id") return DeviceId();
    if (key == "firmware") return m_state.firmware;
    if (key == "inks") return std::to_string(m_state.inkCount);
    if (key == "maintenance") return std::to_string(m_state.maintenanceCapacity);
    if (key == "active") return std::to_string(m_state.activeSetting);
    if (key == "sn") return std::to_string(m_state.snLevel);
    if (key == "busy-ms") return std::to_string(BusyRemainingMs());
    if (key == "jobs-received") return std::to_string(m_jobsReceived);
    if (key == "job-records") return std::to_string(m_state.jobs.size());
    if (key == "sheets") return std::to_string(m_state.sheetsPrinted);
    if (key == "escbar") return std::to_string(m_escBar);
    if (key == "time-scale") {
        std::ostringstream out;
        out << m_options.timeScale;
        return out.str();
    }
    if (key == "output") return m_options.outputDir;
    if (key == "state-dir") return m_options.stateDir;
    if (key.rfind("ink.", 0) == 0) {
        long long i = -1;
        if (ParseInt(key.substr(4), i) && i >= 0 && i < 8) return std::to_string(m_state.inkLevels[static_cast<std::size_t>(i)]);
    }
    if (key.rfind("slot.", 0) == 0) {
        // slot.N (registered flag and settings bytes), slot.N.name, slot.N.saved
        std::string rest = key.substr(5);
        std::string field;
        const auto dot = rest.find('.');
        if (dot != std::string::npos) {
            field = rest.substr(dot + 1);
            rest = rest.substr(0, dot);
        }
        long long n = 0;
        if (ParseInt(rest, n) && n >= 1 && n <= 10) {
            const bool saved = field == "saved";
            const CustomSlot& slot = (saved ? m_saved : m_state).slots[static_cast<std::size_t>(n - 1)];
            if (field.empty() || saved)
                return std::string(slot.registered ? "1" : "0") + "," + ToHex(slot.data.data(), slot.data.size());
            if (field == "name") return Trim(std::string(reinterpret_cast<const char*>(slot.data.data() + 68), 30));
        }
    }
    if (key.rfind("align.", 0) == 0) {
        const auto it = m_state.alignment.find(key.substr(6));
        if (it != m_state.alignment.end()) return std::to_string(it->second);
    }
    if (key.rfind("saved-align.", 0) == 0) {
        const auto it = m_saved.alignment.find(key.substr(12));
        if (it != m_saved.alignment.end()) return std::to_string(it->second);
    }
    if (key.rfind("media-platen.", 0) == 0) {
        long long code = -1;
        if (ParseInt(key.substr(13), code) && code >= 0 && code < 256) {
            const auto it = m_state.mediaPlaten.find(static_cast<int>(code));
            return std::to_string(it == m_state.mediaPlaten.end() ? 2 : it->second);
        }
    }
    ok = false;
    return {};
}

bool CVirtualPrinter::SetValue(const std::string& key, const std::string& value) {
    long long v = 0;
    const bool numeric = ParseInt(value, v);
    if (key == "model") return ParseModel(value, m_state.model);
    if (key == "firmware") {
        if (value.size() != 6) return false;
        m_state.firmware = value;
        return true;
    }
    if (key == "inks" && numeric && (v == 4 || v == 8)) {
        m_state.inkCount = static_cast<int>(v);
        return true;
    }
    if (key == "maintenance" && numeric && v >= 0 && v <= 255) {
        m_state.maintenanceCapacity = static_cast<int>(v);
        return true;
    }
    if (key == "active" && numeric && v >= 0 && v <= 10) {
        m_state.activeSetting = m_saved.activeSetting = static_cast<int>(v);
        return true;
    }
    if (key == "sn" && numeric && v >= 0 && v <= 255) {
        m_state.snLevel = static_cast<int>(v);
        return true;
    }
    if (key == "time-scale") {
        char* end = nullptr;
        const double scale = std::strtod(value.c_str(), &end);
        if (!end || *end || !(scale >= 0)) return false;
        m_options.timeScale = scale;
        return true;
    }
    if (key == "busy-ms" && numeric && v >= 0) {
        m_busyUntil = Now() + v;
        return true;
    }
    if (key.rfind("ink.", 0) == 0 && numeric && v >= 0 && v <= 100) {
        long long i = -1;
        if (!ParseInt(key.substr(4), i) || i < 0 || i >= 8) return false;
        m_state.inkLevels[static_cast<std::size_t>(i)] = static_cast<int>(v);
        return true;
    }
    if (key.rfind("slot.", 0) == 0) {
        long long n = 0;
        const auto comma = value.find(',');
        std::vector<std::uint8_t> bytes;
        if (!ParseInt(key.substr(5), n) || n < 1 || n > 10 || comma == std::string::npos) return false;
        if (!FromHex(value.substr(comma + 1), bytes) || bytes.size() != kSlotDataSize) return false;
        for (PrinterState* s : {&m_state, &m_saved}) {
            CustomSlot& slot = s->slots[static_cast<std::size_t>(n - 1)];
            slot.registered = value.substr(0, comma) == "1";
            std::copy(bytes.begin(), bytes.end(), slot.data.begin());
        }
        return true;
    }
    if (key.rfind("align.", 0) == 0 && numeric && v >= 0 && v <= 255) {
        m_state.alignment[key.substr(6)] = m_saved.alignment[key.substr(6)] = static_cast<int>(v);
        return true;
    }
    if (key.rfind("media-platen.", 0) == 0 && numeric && v >= 0 && v <= 255) {
        long long code = -1;
        if (!ParseInt(key.substr(13), code) || code < 0 || code > 255) return false;
        m_state.mediaPlaten[static_cast<int>(code)] = static_cast<int>(v);
        return true;
    }
    return false;
}

std::vector<std::string> CVirtualPrinter::Dump() const {
    std::vector<std::string> lines;
    std::vector<std::string> keys = {"state",  "status-code", "model", "driver-name", "device-id", "firmware",
                                     "inks",   "maintenance", "active", "sn", "busy-ms", "jobs-received",
                                     "job-records", "sheets", "escbar", "time-scale", "output", "state-dir"};
    for (int i = 0; i < m_state.inkCount; ++i) keys.push_back("ink." + std::to_string(i));
    for (int i = 1; i <= 10; ++i) keys.push_back("slot." + std::to_string(i) + ".name");
    for (const std::string& key : keys) {
        bool ok = false;
        const std::string value = GetValue(key, ok);
        lines.push_back(key + "=" + value);
    }
    for (const auto& [key, value] : m_state.alignment) lines.push_back("align." + key + "=" + std::to_string(value));
    return lines;
}

std::vector<std::string> CVirtualPrinter::Control(const std::string& rawLine) {
    const std::string line = Trim(rawLine);
    std::istringstream in(line);
    std::string verb, key;
    in >> verb >> key;
    std::string value;
    std::getline(in, value);
    value = Trim(value);
    for (char& c : verb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    if (verb == "PING") return {"OK pong"};
    if (verb == "GET") {
        bool ok = false;
        const std::string v = GetValue(key, ok);
        if (!ok) return {"ERR unknown key " + key};
        return {"OK " + v};
    }
    if (verb == "SET") {
        if (!SetValue(key, value)) return {"ERR cannot set " + key};
        Persist();
        return {"OK"};
    }
    if (verb == "DUMP") {
        std::vector<std::string> out = {"OK"};
        const std::vector<std::string> lines = Dump();
        out.insert(out.end(), lines.begin(), lines.end());
        return out;
    }
    if (verb == "LOG") {
        if (key == "clear") {
            m_log.clear();
            return {"OK"};
        }
        std::vector<std::string> out = {"OK"};
        out.insert(out.end(), m_log.begin(), m_log.end());
        return out;
    }
    if (verb == "JOBS") {
        std::vector<std::string> out = {"OK"};
        for (auto it = m_state.jobs.rbegin(); it != m_state.jobs.rend(); ++it)
            out.push_back(std::to_string(it->number) + "," + it->source + "," + it->name + "," +
                          std::to_string(it->pages) + "," + std::to_string(it->lengthMm) + "," +
                          std::to_string(it->durationS));
        return out;
    }
    if (verb == "FINISH") { // end the current work at once
        m_busyUntil = Now();
        m_offlineUntil = 0;
        return {"OK"};
    }
    if (verb == "RESTART") { // switched off and on again
        const auto restart =
            static_cast<std::int64_t>(std::llround(static_cast<double>(kFirmwareRestartMs) * m_options.timeScale));
        m_offlineUntil = Now() + restart;
        m_state.slots = m_saved.slots;
        m_state.alignment = m_saved.alignment;
        m_state.activeSetting = m_saved.activeSetting;
        return {"OK"};
    }
    if (verb == "FAULT") {
        std::string name = key;
        bool on = true;
        if (name == "clear") {
            if (value.empty() || value == "all") {
                m_faults = Faults{};
                return {"OK"};
            }
            name = value;
            on = false;
        }
        long long arg = 0;
        const bool hasArg = !on ? false : ParseInt(value, arg);
        if (name == "no-reply") m_faults.noReply = on;
        else if (name == "late-reply") m_faults.lateReplyMs = on ? static_cast<int>(hasArg ? arg : 15000) : 0;
        else if (name == "garbled-reply") m_faults.garbledReply = on;
        else if (name == "truncated-status") m_faults.truncatedStatus = on;
        else if (name == "offline") m_faults.offline = on;
        else if (name == "never-ready") m_faults.neverReady = on;
        else if (name == "wrong-device-id") m_faults.wrongDeviceId = on;
        else if (name == "ink-low") m_faults.inkLow = on ? static_cast<int>(hasArg ? arg : 0) : -1;
        else if (name == "field0d-low") m_faults.field0DLow = on;
        else if (name == "error-state") m_faults.errorState = on;
        else return {"ERR unknown fault " + name};
        return {"OK"};
    }
    if (verb == "FAULTS") {
        std::vector<std::string> out = {"OK"};
        if (m_faults.noReply) out.push_back("no-reply");
        if (m_faults.lateReplyMs) out.push_back("late-reply " + std::to_string(m_faults.lateReplyMs));
        if (m_faults.garbledReply) out.push_back("garbled-reply");
        if (m_faults.truncatedStatus) out.push_back("truncated-status");
        if (m_faults.offline) out.push_back("offline");
        if (m_faults.neverReady) out.push_back("never-ready");
        if (m_faults.wrongDeviceId) out.push_back("wrong-device-id");
        if (m_faults.inkLow >= 0) out.push_back("ink-low " + std::to_string(m_faults.inkLow));
        if (m_faults.field0DLow) out.push_back("field0d-low");
        if (m_faults.errorState) out.push_back("error-state");
        return out;
    }
    if (verb == "QUIT") {
        m_quit = true;
        return {"OK"};
    }
    return {"ERR unknown command " + verb};
}

} // namespace vprinter
