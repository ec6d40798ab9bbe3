#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The document name of every command job the utility sends.
constexpr const char* kRawJobDocumentName = "ZAMU Command";

// Sends `length` bytes unchanged to the printer as one raw print job named
// "ZAMU Command", through the current spooler. Returns 0 when every byte was
// accepted, -1 otherwise (no such printer, the job could not be started, a
// failed or short write, or the job could not be ended). A job whose bytes
// did not all go in is cancelled, so nothing of it is printed. The printer
// is closed again in every case.
//
// Once the spooler has the whole job, SendRawJob waits for its verdict
// (AwaitJobVerdict): a job the spooler could not get to the printer (the
// connection broke, the printer reset it) is reported as not sent.
int SendRawJob(const std::string& printer, const std::uint8_t* data, std::size_t length);

// How long the verdict is waited for. A job still on its way then (a slow
// or unreachable printer) stays with the spooler and counts as handed over.
constexpr int kJobVerdictTimeoutMs = 30000;
// How often the spooler is asked meanwhile.
constexpr int kJobVerdictPollMs = 100;

// Waits until the spooler says how job `job` of `printer` ended: 0 when it
// completed (or the spooler cannot say, or it is still on its way after
// kJobVerdictTimeoutMs), -1 when it was aborted or cancelled, or held or
// stopped because it could not be sent (the job is then cancelled, so that
// the spooler does not send it again later), or when the operator ended the
// wait through the current CommWaitProgress (the job is cancelled too).
int AwaitJobVerdict(const std::string& printer, int job);
