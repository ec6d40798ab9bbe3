#pragma once

#include "cli/CliSentence.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A small JSON reader for files the operator hands plotcare-cli. It reads
// RFC 8259 JSON and refuses anything else with a message that says where:
// input that is not UTF-8, nesting deeper than kMaxDepth, an object with a
// name twice, text after the value. Numbers are kept as written; AsInt32
// takes only integers that fit.
namespace cli {

class JsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };
    static constexpr int kMaxDepth = 32;
    static constexpr std::size_t kMaxInput = 1u << 20;

    // Parses `text`; false with a message (and `out` left null) on any fault.
    static bool Parse(std::string_view text, JsonValue& out, Sentence& error);
    // The same with the message in the chosen language.
    static bool Parse(std::string_view text, JsonValue& out, std::string& error);

    Type type() const { return m_type; }
    bool IsObject() const { return m_type == Type::Object; }
    // The member's value, or null when this is no object or has no such member.
    const JsonValue* Member(const std::string& name) const;
    const std::vector<std::pair<std::string, JsonValue>>& Members() const { return m_members; }
    const std::vector<JsonValue>& Items() const { return m_items; }
    // The string's text (UTF-8), for a string.
    const std::string& Text() const { return m_text; }
    bool Boolean() const { return m_bool; }
    // True with the value for an integer number within 32 bits.
    bool AsInt32(std::int32_t& value) const;

private:
    friend class JsonParser;
    Type m_type = Type::Null;
    bool m_bool = false;
    std::string m_text; // a string's text, or a number as written
    std::vector<JsonValue> m_items;
    std::vector<std::pair<std::string, JsonValue>> m_members;
};

} // namespace cli
