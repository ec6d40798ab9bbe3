#pragma once

// Talks to a running vprinter through its control port: one request line,
// answered by lines ending with a line holding a single ".". The first
// answer line starts with "OK" or "ERR".

#include <string>
#include <vector>

class CVPrinterClient {
public:
    explicit CVPrinterClient(int controlPort, std::string host = "127.0.0.1");

    // The answer lines (without the closing "."); empty when the printer
    // could not be reached or did not answer within timeoutMs.
    std::vector<std::string> Request(const std::string& line, int timeoutMs = 10000) const;

    bool Ok(const std::string& line) const;              // first answer line starts with "OK"
    std::string Get(const std::string& key) const;       // the value after "OK ", or empty
    bool Set(const std::string& key, const std::string& value) const;
    bool Fault(const std::string& name, const std::string& arg = {}) const;
    bool ClearFaults() const;
    std::vector<std::string> Log() const;                // executed commands, queries, prints

private:
    int m_port;
    std::string m_host;
};
