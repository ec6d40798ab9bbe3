#include "platform/DriverDescription.h"

#include <cups/ppd.h>

#include "platform/Spooler.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

std::string AttrValue(ppd_file_t* ppd, const char* name) {
    ppd_attr_t* attr = ppdFindAttr(ppd, name, nullptr);
    return attr && attr->value ? std::string(attr->value) : std::string();
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

std::optional<DriverDescription> DriverDescriptionFromPpd(const std::string& ppdPath) {
    ppd_file_t* ppd = ppdOpenFile(ppdPath.c_str());
    if (!ppd) return std::nullopt;
    std::string folder = AttrValue(ppd, kPpdDriverDirectoryKeyword);
    const std::string dataFile = AttrValue(ppd, kPpdDriverDataFileKeyword);
    // The PPD itself is installed in the driver folder under its PC file
    // name, in lower case; that is the driver file the description names.
    std::string driverFile = LowerAscii(AttrValue(ppd, "PCFileName"));
    ppdClose(ppd);

    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty() || dataFile.empty()) return std::nullopt;
    if (driverFile.empty() || driverFile.find('/') != std::string::npos) driverFile = "driver.ppd";
    const std::string prefix = folder == "/" ? folder : folder + "/";
    DriverDescription d;
    d.driverPath = prefix + driverFile;
    d.dataFile = dataFile.front() == '/' ? dataFile : prefix + dataFile;
    return d;
}

std::optional<DriverDescription> GetDriverDescription(const std::string& printer) {
    const std::string ppd = Spooler::Current().PpdPath(printer);
    if (ppd.empty()) return std::nullopt;
    return DriverDescriptionFromPpd(ppd);
}
