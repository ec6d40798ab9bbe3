#pragma once

namespace cli {

struct Context;

// plotcare-cli's nozzle check and head cleaning: the page's actions, with
// the readiness wait shown on standard error and the outcome as exit code,
// sentence or --json object.
//   0 sent, 3 not ready, 4 no status record after the wait, 5 refused (ink
//   or maintenance tank low; cleaning only), 6 the job was not sent,
//   7 the wait was cancelled (Ctrl-C).
int NozzleCheck(Context& c);
int HeadClean(Context& c);

} // namespace cli
