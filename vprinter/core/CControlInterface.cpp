#include "CControlInterface.h"

#include "CCustomPaperSlots.h"
#include "CPageDataPrinter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace vprinter {

namespace {

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

} // namespace

std::string CControlInterface::GetValue(const std::string& key, bool& ok) const {
    const PrinterState& state = m_core.Working();
    ok = true;
    if (key == "state") {
        if (m_core.IsOffline()) return "offline";
        const int code = m_core.StateCode();
        return code == kStateReady ? "ready" : code == kStateError ? "error" : "busy";
    }
    if (key == "status-code") return std::to_string(m_core.StateCode());
    if (key == "action") {
        const EngineAction* action = m_core.Engine().Current();
        return action ? action->name : std::string();
    }
    if (key == "work") return std::to_string(m_core.Engine().Size());
    if (key == "model") return ModelKey(state.model);
    if (key == "driver-name") return ModelDriverName(state.model);
    if (key == "device-id") return m_replies.DeviceId();
    if (key == "firmware") return state.firmware;
    if (key == "inks") return std::to_string(state.inkCount);
    if (key == "maintenance") return std::to_string(state.maintenanceCapacity);
    if (key == "active") return std::to_string(state.activeSetting);
    if (key == "sn") return std::to_string(state.snLevel);
    if (key == "busy-ms") return std::to_string(m_core.Engine().RemainingMs(m_core.Now()));
    if (key == "jobs-received") return std::to_string(m_core.JobsReceived());
    if (key == "job-records") return std::to_string(state.jobs.size());
    if (key == "sheets") return std::to_string(state.sheetsPrinted);
    if (key == "sheet-records") return std::to_string(m_core.SheetRecords().size());
    if (key == "escbar") return std::to_string(m_core.EscBar());
    if (key == "time-scale") {
        std::ostringstream out;
        out << m_core.Options().timeScale;
        return out.str();
    }
    if (key == "output") return m_core.Options().outputDir;
    if (key == "state-dir") return m_core.Options().stateDir;
    if (key.rfind("ink.", 0) == 0) {
        long long i = -1;
        if (ParseInt(key.substr(4), i) && i >= 0 && i < 8)
            return std::to_string(state.inkLevels[static_cast<std::size_t>(i)]);
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
            const CustomSlot& slot =
                (saved ? m_core.Kept() : state).slots[static_cast<std::size_t>(n - 1)];
            if (field.empty() || saved)
                return std::string(slot.registered ? "1" : "0") + "," +
                       ToHex(slot.data.data(), slot.data.size());
            if (field == "name") return CCustomPaperSlots::Name(slot);
        }
    }
    if (key.rfind("align.", 0) == 0) {
        const auto it = state.alignment.find(key.substr(6));
        if (it != state.alignment.end()) return std::to_string(it->second);
    }
    if (key.rfind("saved-align.", 0) == 0) {
        const auto it = m_core.Kept().alignment.find(key.substr(12));
        if (it != m_core.Kept().alignment.end()) return std::to_string(it->second);
    }
    if (key.rfind("media-platen.", 0) == 0) {
        long long code = -1;
        if (ParseInt(key.substr(13), code) && code >= 0 && code < 256) {
            const auto it = state.mediaPlaten.find(static_cast<int>(code));
            return std::to_string(it == state.mediaPlaten.end() ? 2 : it->second);
        }
    }
    ok = false;
    return {};
}

bool CControlInterface::SetValue(const std::string& key, const std::string& value) {
    PrinterState& state = m_core.Working();
    PrinterState& kept = m_core.Kept();
    long long v = 0;
    const bool numeric = ParseInt(value, v);
    if (key == "model") return ParseModel(value, state.model);
    if (key == "firmware") {
        if (value.size() != 6) return false;
        state.firmware = value;
        return true;
    }
    if (key == "inks" && numeric && (v == 4 || v == 8)) {
        state.inkCount = static_cast<int>(v);
        return true;
    }
    if (key == "maintenance" && numeric && v >= 0 && v <= 255) {
        state.maintenanceCapacity = static_cast<int>(v);
        return true;
    }
    if (key == "active" && numeric && v >= 0 && v <= 10) {
        state.activeSetting = kept.activeSetting = static_cast<int>(v);
        return true;
    }
    if (key == "sn" && numeric && v >= 0 && v <= 255) {
        state.snLevel = static_cast<int>(v);
        return true;
    }
    if (key == "time-scale") {
        char* end = nullptr;
        const double scale = std::strtod(value.c_str(), &end);
        if (!end || *end || !(scale >= 0)) return false;
        m_core.Options().timeScale = scale;
        return true;
    }
    if (key == "busy-ms" && numeric && v >= 0) {
        m_core.Occupy(v);
        return true;
    }
    if (key.rfind("ink.", 0) == 0 && numeric && v >= 0 && v <= 100) {
        long long i = -1;
        if (!ParseInt(key.substr(4), i) || i < 0 || i >= 8) return false;
        state.inkLevels[static_cast<std::size_t>(i)] = static_cast<int>(v);
        return true;
    }
    if (key.rfind("slot.", 0) == 0) {
        long long n = 0;
        const auto comma = value.find(',');
        std::vector<std::uint8_t> bytes;
        if (!ParseInt(key.substr(5), n) || n < 1 || n > 10 || comma == std::string::npos)
            return false;
        if (!FromHex(value.substr(comma + 1), bytes) || bytes.size() != kSlotDataSize) return false;
        for (PrinterState* s : {&state, &kept}) {
            CustomSlot& slot = s->slots[static_cast<std::size_t>(n - 1)];
            slot.registered = value.substr(0, comma) == "1";
            std::copy(bytes.begin(), bytes.end(), slot.data.begin());
        }
        return true;
    }
    if (key.rfind("align.", 0) == 0 && numeric && v >= 0 && v <= 255) {
        state.alignment[key.substr(6)] = kept.alignment[key.substr(6)] = static_cast<int>(v);
        return true;
    }
    if (key.rfind("media-platen.", 0) == 0 && numeric && v >= 0 && v <= 255) {
        long long code = -1;
        if (!ParseInt(key.substr(13), code) || code < 0 || code > 255) return false;
        state.mediaPlaten[static_cast<int>(code)] = static_cast<int>(v);
        return true;
    }
    return false;
}

std::vector<std::string> CControlInterface::Dump() const {
    const PrinterState& state = m_core.Working();
    std::vector<std::string> lines;
    std::vector<std::string> keys = {"state",   "status-code",   "action",      "work",
                                     "model",   "driver-name",   "device-id",   "firmware",
                                     "inks",    "maintenance",   "active",      "sn",
                                     "busy-ms", "jobs-received", "job-records", "sheets",
                                     "escbar",  "time-scale",    "output",      "state-dir"};
    for (int i = 0; i < state.inkCount; ++i)
        keys.push_back("ink." + std::to_string(i));
    for (int i = 1; i <= 10; ++i)
        keys.push_back("slot." + std::to_string(i) + ".name");
    for (const std::string& key : keys) {
        bool ok = false;
        const std::string value = GetValue(key, ok);
        lines.push_back(key + "=" + value);
    }
    for (const auto& [key, value] : state.alignment)
        lines.push_back("align." + key + "=" + std::to_string(value));
    return lines;
}

std::vector<std::string> CControlInterface::Fault(const std::string& key,
                                                  const std::string& value) {
    Faults& faults = m_core.CurrentFaults();
    std::string name = key;
    bool on = true;
    if (name == "clear") {
        if (value.empty() || value == "all") {
            faults = Faults{};
            m_core.FaultsChanged();
            return {"OK"};
        }
        name = value;
        on = false;
    }
    long long arg = 0;
    const bool hasArg = on && ParseInt(value, arg);
    if (name == "no-reply")
        faults.noReply = on;
    else if (name == "late-reply")
        faults.lateReplyMs = on ? static_cast<int>(hasArg ? arg : 15000) : 0;
    else if (name == "garbled-reply")
        faults.garbledReply = on;
    else if (name == "truncated-status")
        faults.truncatedStatus = on;
    else if (name == "offline")
        faults.offline = on;
    else if (name == "never-ready")
        faults.neverReady = on;
    else if (name == "wrong-device-id")
        faults.wrongDeviceId = on;
    else if (name == "ink-low")
        faults.inkLow = on ? static_cast<int>(hasArg ? arg : 0) : -1;
    else if (name == "field0d-low")
        faults.field0DLow = on;
    else if (name == "error-state")
        faults.errorState = on;
    else if (name == "split-reply")
        faults.splitReplyBytes = on ? static_cast<int>(std::clamp<long long>(hasArg ? arg : 4, 1, 65536)) : 0;
    else if (name == "nothing-yet")
        faults.nothingYetCount = on ? static_cast<int>(std::clamp<long long>(hasArg ? arg : 3, 1, 1000)) : 0;
    else if (name == "marker-offset")
        faults.markerOffsetBytes = on ? static_cast<int>(std::clamp<long long>(hasArg ? arg : 16, 1, 4096)) : 0;
    else if (name == "stale-reply")
        faults.staleReply = on;
    else if (name == "slow-raw")
        faults.slowRawKBps = on ? static_cast<int>(std::clamp<long long>(hasArg ? arg : 64, 1, 1 << 20)) : 0;
    else if (name == "reset-mid-job")
        faults.resetMidJobBytes = on ? std::max<long long>(hasArg ? arg : 16, 0) : -1;
    else
        return {"ERR unknown fault " + name};
    m_core.FaultsChanged();
    return {"OK"};
}

std::vector<std::string> CControlInterface::FaultList() const {
    const Faults& faults = m_core.CurrentFaults();
    std::vector<std::string> out = {"OK"};
    if (faults.noReply) out.push_back("no-reply");
    if (faults.lateReplyMs) out.push_back("late-reply " + std::to_string(faults.lateReplyMs));
    if (faults.garbledReply) out.push_back("garbled-reply");
    if (faults.truncatedStatus) out.push_back("truncated-status");
    if (faults.offline) out.push_back("offline");
    if (faults.neverReady) out.push_back("never-ready");
    if (faults.wrongDeviceId) out.push_back("wrong-device-id");
    if (faults.inkLow >= 0) out.push_back("ink-low " + std::to_string(faults.inkLow));
    if (faults.field0DLow) out.push_back("field0d-low");
    if (faults.errorState) out.push_back("error-state");
    if (faults.splitReplyBytes) out.push_back("split-reply " + std::to_string(faults.splitReplyBytes));
    if (faults.nothingYetCount) out.push_back("nothing-yet " + std::to_string(faults.nothingYetCount));
    if (faults.markerOffsetBytes) out.push_back("marker-offset " + std::to_string(faults.markerOffsetBytes));
    if (faults.staleReply) out.push_back("stale-reply");
    if (faults.slowRawKBps) out.push_back("slow-raw " + std::to_string(faults.slowRawKBps));
    if (faults.resetMidJobBytes >= 0) out.push_back("reset-mid-job " + std::to_string(faults.resetMidJobBytes));
    return out;
}

std::vector<std::string> CControlInterface::Control(const std::string& rawLine) {
    const std::string line = Trim(rawLine);
    std::istringstream in(line);
    std::string verb, key;
    in >> verb >> key;
    std::string value;
    std::getline(in, value);
    value = Trim(value);
    for (char& c : verb)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    if (verb == "PING") return {"OK pong"};
    if (verb == "GET") {
        bool ok = false;
        const std::string v = GetValue(key, ok);
        if (!ok) return {"ERR unknown key " + key};
        return {"OK " + v};
    }
    if (verb == "SET") {
        if (!SetValue(key, value)) return {"ERR cannot set " + key};
        m_core.Persist();
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
            m_core.ClearLog();
            return {"OK"};
        }
        std::vector<std::string> out = {"OK"};
        out.insert(out.end(), m_core.Log().begin(), m_core.Log().end());
        return out;
    }
    if (verb == "JOBS") {
        std::vector<std::string> out = {"OK"};
        const auto& jobs = m_core.Working().jobs;
        for (auto it = jobs.rbegin(); it != jobs.rend(); ++it)
            out.push_back(std::to_string(it->number) + "," + it->source + "," + it->name + "," +
                          std::to_string(it->pages) + "," + std::to_string(it->lengthMm) + "," +
                          std::to_string(it->durationS));
        return out;
    }
    if (verb == "SHEETS") {
        if (key == "clear") {
            m_core.ClearSheetRecords();
            return {"OK"};
        }
        std::vector<std::string> out = {"OK"};
        for (const SheetRecord& record : m_core.SheetRecords())
            out.push_back(CPageDataPrinter::RecordLine(record));
        return out;
    }
    if (verb == "FINISH") { // the work in hand and a restart end at once
        m_core.EndRestart();
        m_core.FinishAll();
        return {"OK"};
    }
    if (verb == "RESTART") { // switched off and on again
        m_firmware.Restart();
        return {"OK"};
    }
    if (verb == "FAULT") return Fault(key, value);
    if (verb == "FAULTS") return FaultList();
    if (verb == "QUIT") {
        m_quit = true;
        return {"OK"};
    }
    return {"ERR unknown command " + verb};
}

} // namespace vprinter
