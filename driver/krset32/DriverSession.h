#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <cups/ppd.h>

#include "UserSettingsFile.h"
#include "krset32.h"
#include "platform/DeviceMode.h"

// The driver settings of one print queue for this user, as one open handle
// sees them: the queue's PPD (media types, colour modes, print qualities,
// page sizes, ink arrangement), the current choice of every PPD option and
// the driver's own values. Every change is saved for the user at once: PPD
// options as the user's CUPS options of the queue (lpoptions), the rest in
// the user's settings file of the queue.
class DriverSession {
public:
    struct Media {
        std::uint16_t id;
        std::string keyword;
        std::string name;
    };

    // Opens the queue's settings; null with `error` set when the queue or
    // its PPD cannot be had or devMode is not a well-formed block.
    static std::unique_ptr<DriverSession> Open(const std::string& printer, const std::string& port,
                                               const void* devMode, int& error);
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    int GetRange(int item, KRDM_RANGE* range) const;
    int GetData(int item, void* record) const;
    int SetData(int item, void* record);

    DeviceMode CurrentDeviceMode() const;
    std::string DriverInfo() const;

private:
    DriverSession() = default;
    bool LoadPpd(const std::string& path);
    // Takes an option choice when the PPD offers it; false otherwise.
    bool TakeOption(const std::string& option, const std::string& choice);

    // The first media type with that id.
    const Media* FindMedia(std::uint32_t id) const;
    // The id of the current MediaType choice, 0 when it has none.
    std::uint32_t CurrentMediaId() const;
    int PrintMode() const;  // 1..4, 0 when unknown
    int SetMediaAndMode(std::uint32_t id, int mode);
    int SetPaperSize(std::uint16_t width, std::uint16_t length, std::uint16_t flags);
    int SaveOptions(const std::vector<std::string>& names);
    int SaveValues();

    std::string m_printer;
    std::string m_port;
    ppd_file_t* m_ppd = nullptr;
    std::vector<Media> m_media;
    std::unordered_map<std::uint16_t, std::size_t> m_mediaById;  // index of the first entry with the id
    std::vector<std::pair<std::string, int>> m_colourCodes;
    std::vector<std::vector<std::uint8_t>> m_inkHeads;
    std::vector<std::string> m_optionOrder;
    std::map<std::string, std::string> m_current;
    DriverValues m_values;
    std::string m_userFile;
};
