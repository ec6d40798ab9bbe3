#include "comm/CRawJobStream.h"

#include "comm/RawJob.h"
#include "platform/Spooler.h"

CRawJobStream::~CRawJobStream() {
    Cancel();
}

bool CRawJobStream::Start(const std::string& printer) {
    Cancel();
    Spooler& spooler = Spooler::Current();
    m_handle = spooler.OpenPrinter(printer);
    if (m_handle == 0) return false;
    m_written = 0;
    m_printer = printer;
    m_job = spooler.StartRawDocument(m_handle, kRawJobDocumentName);
    m_open = m_job > 0;
    if (!m_open) ClosePrinter();
    return m_open;
}

bool CRawJobStream::Write(const std::uint8_t* data, std::size_t length) {
    if (!m_open) return false;
    const std::int64_t written = Spooler::Current().WriteDocument(m_handle, data, length);
    if (written < 0 || static_cast<std::uint64_t>(written) != length) {
        Cancel();
        return false;
    }
    m_written += length;
    return true;
}

int CRawJobStream::Finish() {
    if (!m_open) return -1;
    m_open = false;
    // A job the spooler would not end did not reach the printer either.
    const bool ended = Spooler::Current().EndDocument(m_handle);
    ClosePrinter();
    return ended ? AwaitJobVerdict(m_printer, m_job) : -1;
}

void CRawJobStream::Cancel() {
    if (m_open) Spooler::Current().CancelDocument(m_handle);
    m_open = false;
    ClosePrinter();
}

void CRawJobStream::ClosePrinter() {
    if (m_handle != 0) Spooler::Current().ClosePrinter(m_handle);
    m_handle = 0;
}
