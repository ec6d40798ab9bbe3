#pragma once

// The control port's line protocol (vprinter/README.md): reading and
// changing the printer's state, its log and job history, fault injection,
// ending the work in hand, restarting and quitting.

#include "CFirmwareLoader.h"
#include "CPrinterCore.h"
#include "CQueryResponder.h"

#include <string>
#include <vector>

namespace vprinter {

class CControlInterface {
public:
    CControlInterface(CPrinterCore& core, CQueryResponder& replies, CFirmwareLoader& firmware)
        : m_core(core), m_replies(replies), m_firmware(firmware) {}

    // One request line; the answer's first line starts "OK" or "ERR".
    std::vector<std::string> Control(const std::string& line);
    bool QuitRequested() const { return m_quit; }

    std::string GetValue(const std::string& key, bool& ok) const;
    bool SetValue(const std::string& key, const std::string& value);
    std::vector<std::string> Dump() const;

private:
    std::vector<std::string> Fault(const std::string& name, const std::string& value);
    std::vector<std::string> FaultList() const;

    CPrinterCore& m_core;
    CQueryResponder& m_replies;
    CFirmwareLoader& m_firmware;
    bool m_quit = false;
};

} // namespace vprinter
