#pragma once

// A job record as the printer's "JI" reply carries it, built field by field.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct JobBytes {
    std::uint8_t index = 0;
    std::uint8_t number = 1;
    std::uint8_t state = 3;
    std::uint8_t result = 1;
    std::vector<std::uint8_t> user; // up to 16 bytes
    std::vector<std::uint8_t> name; // up to 32 bytes
    int used = 0;
    int pages = 1;
    int printed = 1;
    std::array<std::uint8_t, 5> received{26, 12, 10, 7, 31};
    int seconds = 0;

    static std::vector<std::uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> b{index, number, 0, state, result, 0, 0};
        auto put = [&b](const std::vector<std::uint8_t>& t, std::size_t width) {
            for (std::size_t i = 0; i < width; ++i)
                b.push_back(i < t.size() ? t[i] : 0);
        };
        auto put16 = [&b](int v) {
            b.push_back(static_cast<std::uint8_t>(v >> 8));
            b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        };
        put(user, 16);
        put(name, 32);
        put16(used);
        put16(pages);
        put16(printed);
        b.insert(b.end(), received.begin(), received.end());
        put16(seconds);
        return b;
    }
    std::string Digits() const {
        static const char hex[] = "0123456789ABCDEF";
        std::string out;
        for (std::uint8_t v : Bytes()) {
            out += hex[v >> 4];
            out += hex[v & 15];
        }
        return out;
    }
    std::string Reply() const { return "JI:" + Digits() + ";"; }
};
