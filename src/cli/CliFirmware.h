#pragma once

namespace cli {

struct Context;

// fw-check FILE [PRINTER]: the image's verdict and version; with a printer,
// its version, the comparison and whether the update is offered.
int FwCheck(Context& c);
// fw-update PRINTER FILE: the firmware update of the firmware update page.
int FwUpdate(Context& c);

} // namespace cli
