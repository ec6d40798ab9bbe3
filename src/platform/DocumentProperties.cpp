#include "platform/DocumentProperties.h"

#include <cstring>
#include <map>

#include <cups/cups.h>
#include <cups/ppd.h>

#include "platform/DeviceMode.h"
#include "platform/Spooler.h"

// The PPD API is the only place a queue's options and choices are listed
// with the driver's own names.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// One queue's PPD with the choices in effect.
class QueueOptions {
public:
    explicit QueueOptions(const std::string& printer) : m_printer(printer) {
        const std::string file = Spooler::Current().PpdPath(printer);
        if (file.empty()) return;
        m_ppd = ppdOpenFile(file.c_str());
        if (!m_ppd) return;
        for (ppd_option_t* o = ppdFirstOption(m_ppd); o; o = ppdNextOption(m_ppd)) {
            // PageRegion follows PageSize; it is not a setting of its own.
            if (std::strcmp(o->keyword, "PageRegion") == 0 || m_current.count(o->keyword)) continue;
            m_order.push_back(o);
            m_current[o->keyword] = o->defchoice;
        }
    }
    ~QueueOptions() {
        if (m_ppd) ppdClose(m_ppd);
    }
    QueueOptions(const QueueOptions&) = delete;
    QueueOptions& operator=(const QueueOptions&) = delete;

    bool IsValid() const { return m_ppd != nullptr; }

    bool IsValidChoice(const std::string& option, const std::string& choice) const {
        if (!m_current.count(option)) return false;
        if (option == "PageSize" && choice.rfind("Custom.", 0) == 0) {
            if (!m_ppd->variable_sizes) return false;
            ppd_size_t* size = ppdPageSize(m_ppd, choice.c_str());
            return size && size->width >= m_ppd->custom_min[0] - 0.5f &&
                   size->width <= m_ppd->custom_max[0] + 0.5f && size->length >= m_ppd->custom_min[1] - 0.5f &&
                   size->length <= m_ppd->custom_max[1] + 0.5f;
        }
        return ppdFindChoice(ppdFindOption(m_ppd, option.c_str()), choice.c_str()) != nullptr;
    }

    void Take(const std::string& option, const std::string& choice) {
        if (IsValidChoice(option, choice)) m_current[option] = choice;
    }

    // The program's block, then this user's saved options.
    void TakeBlockAndUser(const QByteArray* block) {
        if (block) {
            const auto mode = DeviceModeBlock::Decode(block->constData(), static_cast<std::size_t>(block->size()));
            if (mode && mode->deviceName == m_printer) {
                for (const auto& [k, v] : mode->options) Take(k, v);
                m_driverValues = mode->driverValues;
            }
        }
        if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, m_printer.c_str(), nullptr)) {
            for (int i = 0; i < dest->num_options; ++i) Take(dest->options[i].name, dest->options[i].value);
            cupsFreeDests(1, dest);
        }
    }

    std::vector<DocumentProperties::Option> Options() const {
        std::vector<DocumentProperties::Option> out;
        for (ppd_option_t* o : m_order) {
            DocumentProperties::Option option;
            option.keyword = o->keyword;
            option.text = o->text;
            option.defaultChoice = o->defchoice;
            option.current = m_current.at(o->keyword);
            option.customSizes = std::strcmp(o->keyword, "PageSize") == 0 && m_ppd->variable_sizes;
            for (int i = 0; i < o->num_choices; ++i) {
                // The PPD lists custom sizes as a choice "Custom"; it is
                // offered through customSizes instead.
                if (std::strcmp(o->choices[i].choice, "Custom") == 0) continue;
                option.choices.push_back({o->choices[i].choice, o->choices[i].text});
            }
            out.push_back(std::move(option));
        }
        return out;
    }

    QByteArray Block() const {
        DeviceMode mode;
        mode.deviceName = m_printer;
        for (ppd_option_t* o : m_order) mode.options.emplace_back(o->keyword, m_current.at(o->keyword));
        mode.driverValues = m_driverValues;
        const auto bytes = DeviceModeBlock::Encode(mode);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    }

    bool SaveForUser(const DocumentProperties::Changes& changes) const {
        cups_dest_t* dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        cups_dest_t* dest = cupsGetDest(m_printer.c_str(), nullptr, count, dests);
        bool saved = false;
        if (dest) {
            for (const auto& [k, v] : changes)
                dest->num_options = cupsAddOption(k.c_str(), v.c_str(), dest->num_options, &dest->options);
            saved = cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests) == 0;
        }
        cupsFreeDests(count, dests);
        return saved;
    }

private:
    std::string m_printer;
    ppd_file_t* m_ppd = nullptr;
    std::vector<ppd_option_t*> m_order;
    std::map<std::string, std::string> m_current;
    DeviceMode::Entries m_driverValues;
};

}  // namespace

namespace DocumentProperties {

std::optional<QByteArray> CurrentSettings(const std::string& printer) {
    QueueOptions options(printer);
    if (!options.IsValid()) return std::nullopt;
    options.TakeBlockAndUser(nullptr);
    return options.Block();
}

std::optional<std::vector<Option>> ReadOptions(const std::string& printer, const QByteArray* block) {
    QueueOptions options(printer);
    if (!options.IsValid()) return std::nullopt;
    options.TakeBlockAndUser(block);
    return options.Options();
}

std::optional<QByteArray> Apply(const std::string& printer, const QByteArray* block, const Changes& changes) {
    QueueOptions options(printer);
    if (!options.IsValid()) return std::nullopt;
    for (const auto& [k, v] : changes)
        if (!options.IsValidChoice(k, v)) return std::nullopt;
    options.TakeBlockAndUser(block);
    for (const auto& [k, v] : changes) options.Take(k, v);
    if (!changes.empty() && !options.SaveForUser(changes)) return std::nullopt;
    return options.Block();
}

}  // namespace DocumentProperties
