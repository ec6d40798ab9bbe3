#pragma once

#include <optional>
#include <string>

// What the spooler knows about a printer's driver: a file of the driver
// (its folder is the driver folder, where the printer maker's libraries
// lie) and the driver's data file (a private profile naming those
// libraries).
struct DriverDescription {
    std::string driverPath;
    std::string dataFile;
};

// The PPD keywords of the printer maker's driver that name the driver folder
// and the data file (a name inside the folder, or a full path).
constexpr const char* kPpdDriverDirectoryKeyword = "OVDriverDirectory";
constexpr const char* kPpdDriverDataFileKeyword = "OVDriverDataFile";

// The description of the queue's driver, read from the queue's PPD; none when
// the queue cannot be opened or its PPD does not name a driver folder and a
// data file.
std::optional<DriverDescription> GetDriverDescription(const std::string& printer);

// The same, from a PPD file.
std::optional<DriverDescription> DriverDescriptionFromPpd(const std::string& ppdPath);
