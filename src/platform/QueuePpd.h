#pragma once

#include <string>

// A local copy of a print queue's PPD file, fetched from the CUPS server that
// CUPS_SERVER names and removed again when the object goes. Empty path when
// the queue does not exist, has no PPD or the server cannot be reached.
class QueuePpd {
public:
    explicit QueuePpd(const std::string& printer);
    ~QueuePpd();
    QueuePpd(const QueuePpd&) = delete;
    QueuePpd& operator=(const QueuePpd&) = delete;

    bool IsValid() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
