#include "platform/QueuePpd.h"

#include <unistd.h>

#include <cups/cups.h>
#include <cups/ppd.h>

// The PPD API is the only way to a queue's driver keywords; libcups marks it
// deprecated in favour of IPP attributes, which do not carry them.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

QueuePpd::QueuePpd(const std::string& printer) {
    if (printer.empty()) return;
    // cupsGetPPD2 hands back a path in a per-thread buffer; copy it at once.
    if (const char* path = cupsGetPPD2(CUPS_HTTP_DEFAULT, printer.c_str())) m_path = path;
}

QueuePpd::~QueuePpd() {
    if (!m_path.empty()) ::unlink(m_path.c_str());
}
