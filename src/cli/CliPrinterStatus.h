#pragma once

namespace cli {

struct Context;

// plotcare-cli's printer status actions, on the status page's logic.
//   job-info: the report of the printer's last ten jobs (--json: one object
//     per job with its decoded fields). 0 read, 3 not ready, 4 no channel or
//     a query failed, 7 cancelled (Ctrl-C; nothing shown) or timed out (what
//     came is shown).
//   print-status, print-jobs, print-custom: the printer prints its status
//     sheet, job information or custom paper configuration. 0 sent, 3 not
//     ready, 6 the job was not sent, 7 the wait was cancelled.
int JobInfo(Context& c);
int PrintStatus(Context& c);
int PrintJobs(Context& c);
int PrintCustom(Context& c);

} // namespace cli
