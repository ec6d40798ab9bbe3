#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A raw job written in pieces, for jobs too large to build in one buffer:
// Start, Write as often as needed, then Finish, which hands the job to the
// printer. Until then nothing of it reaches the printer: Cancel (or the
// destructor) abandons it and the spooler drops it. The document name is
// that of every command job ("ZAMU Command").
class CRawJobStream {
public:
    CRawJobStream() = default;
    ~CRawJobStream();
    CRawJobStream(const CRawJobStream&) = delete;
    CRawJobStream& operator=(const CRawJobStream&) = delete;

    // False when the printer cannot be opened or the job not started.
    bool Start(const std::string& printer);
    // False when the spooler did not take every byte (the job is then
    // cancelled).
    bool Write(const std::uint8_t* data, std::size_t length);
    // 0 when the spooler took the whole job and got it to the printer, -1
    // otherwise (as SendRawJob, verdict included).
    int Finish();
    void Cancel();

    std::uint64_t Written() const { return m_written; }

private:
    void ClosePrinter();

    int m_handle = 0;
    int m_job = 0;
    std::string m_printer;
    bool m_open = false;
    std::uint64_t m_written = 0;
};
