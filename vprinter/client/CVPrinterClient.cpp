#include "CVPrinterClient.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

CVPrinterClient::CVPrinterClient(int controlPort, std::string host) : m_port(controlPort), m_host(std::move(host)) {}

std::vector<std::string> CVPrinterClient::Request(const std::string& line, int timeoutMs) const {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(m_port));
    inet_pton(AF_INET, m_host.c_str(), &addr.sin_addr);
    std::vector<std::string> lines;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return {};
    }
    const std::string request = line + "\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return {};
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string buffer;
    bool done = false;
    while (!done) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        char chunk[4096];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        buffer.append(chunk, static_cast<std::size_t>(n));
        std::size_t nl;
        while ((nl = buffer.find('\n')) != std::string::npos) {
            std::string one = buffer.substr(0, nl);
            buffer.erase(0, nl + 1);
            if (one == ".") {
                done = true;
                break;
            }
            lines.push_back(one);
        }
    }
    ::close(fd);
    if (!done) return {};
    return lines;
}

bool CVPrinterClient::Ok(const std::string& line) const {
    const std::vector<std::string> answer = Request(line);
    return !answer.empty() && answer[0].rfind("OK", 0) == 0;
}

std::string CVPrinterClient::Get(const std::string& key) const {
    const std::vector<std::string> answer = Request("GET " + key);
    if (answer.empty() || answer[0].rfind("OK ", 0) != 0) return {};
    return answer[0].substr(3);
}

bool CVPrinterClient::Set(const std::string& key, const std::string& value) const {
    return Ok("SET " + key + " " + value);
}

bool CVPrinterClient::Fault(const std::string& name, const std::string& arg) const {
    return Ok("FAULT " + name + (arg.empty() ? "" : " " + arg));
}

bool CVPrinterClient::ClearFaults() const { return Ok("FAULT clear"); }

std::vector<std::string> CVPrinterClient::Log() const {
    std::vector<std::string> answer = Request("LOG");
    if (answer.empty() || answer[0].rfind("OK", 0) != 0) return {};
    answer.erase(answer.begin());
    return answer;
}
