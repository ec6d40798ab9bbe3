#pragma once

#include <QApplication>

#include <cstdint>
#include <string>
#include <vector>

// One QApplication for the whole test program (the busy dialog is a window).
inline QApplication& EnsureApp() {
    static int argc = 1;
    static char arg0[] = "test_link";
    static char* argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A status reply as the library gives it: text header, CR LF, then the
// record (16-bit little-endian length, then the fields).
inline std::vector<std::uint8_t> StatusRecord(const std::vector<std::uint8_t>& fields, int length = -1) {
    const int l = length < 0 ? static_cast<int>(fields.size()) : length;
    std::vector<std::uint8_t> r{static_cast<std::uint8_t>(l & 0xFF), static_cast<std::uint8_t>(l >> 8)};
    r.insert(r.end(), fields.begin(), fields.end());
    return r;
}

inline std::vector<std::uint8_t> StatusReplyBytes(const std::vector<std::uint8_t>& fields, int length = -1,
                                                  const std::string& header = "@BDC ST2\r\n") {
    std::vector<std::uint8_t> r(header.begin(), header.end());
    const auto rec = StatusRecord(fields, length);
    r.insert(r.end(), rec.begin(), rec.end());
    return r;
}

inline std::vector<std::uint8_t> StateField(int state) { return {0x01, 0x01, static_cast<std::uint8_t>(state)}; }
