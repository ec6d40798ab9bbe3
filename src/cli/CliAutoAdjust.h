#pragma once

namespace cli {

struct Context;

// The automatic adjustment page's actions from a shell:
//   auto-align PRINTER --direction bi|uni [--patterns 1,2,3,4] [--media ID]
//              [--thickness N] [--platen VALUE|auto]
//   auto-nozzle PRINTER
int AutoAlign(Context& c);
int AutoNozzle(Context& c);

} // namespace cli
