#include "cli/SlotJson.h"

#include "cli/CliText.h"
#include "custompaper/CMediaTable.h"

#include <charconv>
#include <cstdint>

namespace cli {

namespace {

class JsonReader {
public:
    JsonReader(std::string_view text, std::string& error) : m_s(text), m_error(error) {}

    bool Object(std::map<std::string, JsonValue>& members) {
        Space();
        if (!Take('{')) return Fail("a JSON object must start with '{'");
        Space();
        if (Take('}')) return End();
        for (;;) {
            Space();
            std::string name;
            if (Peek() != '"') return Fail("a member name in quotes was expected");
            if (!String(name)) return false;
            Space();
            if (!Take(':')) return Fail("':' was expected after a member name");
            JsonValue value;
            if (!Value(value, 1)) return false;
            if (!members.emplace(name, std::move(value)).second)
                return Fail("the member \"" + Escaped(name) + "\" is given twice");
            Space();
            if (Take(',')) continue;
            if (Take('}')) return End();
            return Fail("',' or '}' was expected");
        }
    }

private:
    bool End() {
        Space();
        if (m_i != m_s.size()) return Fail("text follows the object");
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        Space();
        const char c = Peek();
        if (c == '"') {
            v.kind = JsonValue::Kind::String;
            return String(v.text);
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            v.kind = JsonValue::Kind::Number;
            return Number(v.text);
        }
        if (Word("true")) {
            v.kind = JsonValue::Kind::Bool;
            v.boolean = true;
            return true;
        }
        if (Word("false")) {
            v.kind = JsonValue::Kind::Bool;
            return true;
        }
        if (Word("null")) {
            v.kind = JsonValue::Kind::Null;
            return true;
        }
        if (c == '[' || c == '{') {
            v.kind = JsonValue::Kind::Nested;
            return Skip(depth);
        }
        return Fail("a value was expected");
    }

    // Checks a nested array or object without keeping it.
    bool Skip(int depth) {
        if (depth >= kJsonMaxDepth) return Fail("the values are nested too deeply");
        const bool object = Peek() == '{';
        ++m_i;
        const char close = object ? '}' : ']';
        Space();
        if (Take(close)) return true;
        for (;;) {
            Space();
            if (object) {
                std::string name;
                if (Peek() != '"') return Fail("a member name in quotes was expected");
                if (!String(name)) return false;
                Space();
                if (!Take(':')) return Fail("':' was expected after a member name");
            }
            JsonValue inner;
            if (!Value(inner, depth + 1)) return false;
            Space();
            if (Take(',')) continue;
            if (Take(close)) return true;
            return Fail(object ? "',' or '}' was expected" : "',' or ']' was expected");
        }
    }

    bool Number(std::string& out) {
        const std::size_t start = m_i;
        Take('-');
        if (Take('0')) {
        } else if (Digits() == 0) {
            return Fail("a number was expected");
        }
        if (Take('.') && Digits() == 0) return Fail("digits were expected after '.'");
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_i;
            if (!Take('+')) Take('-');
            if (Digits() == 0) return Fail("digits were expected in the exponent");
        }
        out.assign(m_s.substr(start, m_i - start));
        return true;
    }

    std::size_t Digits() {
        std::size_t n = 0;
        while (m_i < m_s.size() && m_s[m_i] >= '0' && m_s[m_i] <= '9') ++m_i, ++n;
        return n;
    }

    bool String(std::string& out) {
        ++m_i; // the opening quote
        out.clear();
        for (;;) {
            if (m_i >= m_s.size()) return Fail("a string does not end");
            const auto c = static_cast<unsigned char>(m_s[m_i]);
            if (c == '"') {
                ++m_i;
                return true;
            }
            if (c < 0x20) return Fail("a string holds a control character");
            if (c == '\\') {
                if (!Escape(out)) return false;
                continue;
            }
            if (c < 0x80) {
                out.push_back(static_cast<char>(c));
                ++m_i;
                continue;
            }
            if (!Utf8(out)) return Fail("a string is not UTF-8");
        }
    }

    bool Escape(std::string& out) {
        ++m_i;
        if (m_i >= m_s.size()) return Fail("a string does not end");
        const char e = m_s[m_i++];
        switch (e) {
        case '"': out.push_back('"'); return true;
        case '\\': out.push_back('\\'); return true;
        case '/': out.push_back('/'); return true;
        case 'b': out.push_back('\b'); return true;
        case 'f': out.push_back('\f'); return true;
        case 'n': out.push_back('\n'); return true;
        case 'r': out.push_back('\r'); return true;
        case 't': out.push_back('\t'); return true;
        case 'u': break;
        default: return Fail("a string holds an unknown escape");
        }
        std::uint32_t cp = 0;
        if (!Hex4(cp)) return false;
        if (cp >= 0xDC00 && cp <= 0xDFFF) return Fail("a string holds a lone surrogate");
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!(Take('\\') && Take('u')) || !Hex4(low) || low < 0xDC00 || low > 0xDFFF)
                return Fail("a string holds a lone surrogate");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        PutUtf8(out, cp);
        return true;
    }

    bool Hex4(std::uint32_t& cp) {
        if (m_s.size() - m_i < 4) return Fail("a \\u escape needs four hex digits");
        cp = 0;
        for (int k = 0; k < 4; ++k) {
            const char h = m_s[m_i++];
            int d = -1;
            if (h >= '0' && h <= '9') d = h - '0';
            else if (h >= 'a' && h <= 'f') d = h - 'a' + 10;
            else if (h >= 'A' && h <= 'F') d = h - 'A' + 10;
            if (d < 0) return Fail("a \\u escape needs four hex digits");
            cp = cp * 16 + static_cast<std::uint32_t>(d);
        }
        return true;
    }

    static void PutUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    // One multi-byte UTF-8 character, checked (shortest form, no
    // surrogates, at most U+10FFFF).
    bool Utf8(std::string& out) {
        const auto c = static_cast<unsigned char>(m_s[m_i]);
        int more = 0;
        std::uint32_t cp = 0;
        if ((c & 0xE0) == 0xC0) more = 1, cp = c & 0x1Fu;
        else if ((c & 0xF0) == 0xE0) more = 2, cp = c & 0x0Fu;
        else if ((c & 0xF8) == 0xF0) more = 3, cp = c & 0x07u;
        else return false;
        if (m_s.size() - m_i <= static_cast<std::size_t>(more)) return false;
        for (int k = 1; k <= more; ++k) {
            const auto d = static_cast<unsigned char>(m_s[m_i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3Fu);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        out.append(m_s.substr(m_i, static_cast<std::size_t>(more) + 1));
        m_i += static_cast<std::size_t>(more) + 1;
        return true;
    }

    bool Word(std::string_view w) {
        if (m_s.substr(m_i, w.size()) != w) return false;
        m_i += w.size();
        return true;
    }
    char Peek() const { return m_i < m_s.size() ? m_s[m_i] : '\0'; }
    bool Take(char c) {
        if (m_i < m_s.size() && m_s[m_i] == c) {
            ++m_i;
            return true;
        }
        return false;
    }
    void Space() {
        while (m_i < m_s.size() && (m_s[m_i] == ' ' || m_s[m_i] == '\t' || m_s[m_i] == '\n' || m_s[m_i] == '\r'))
            ++m_i;
    }
    bool Fail(const std::string& why) {
        m_error = why + " (at byte " + std::to_string(m_i + 1) + ")";
        return false;
    }

    std::string_view m_s;
    std::string& m_error;
    std::size_t m_i = 0;
};

// The settings members and the fields they fill.
struct Member {
    const char* name;
    std::int32_t CustomPaperSlot::*field;
};
constexpr Member kSettings[] = {
    {"paperthick", &CustomPaperSlot::Paperthick}, {"platen", &CustomPaperSlot::Platen},
    {"paperdraw", &CustomPaperSlot::Paperdraw},   {"roller", &CustomPaperSlot::Roller},
    {"forward", &CustomPaperSlot::Forward},       {"drytime", &CustomPaperSlot::Drytime},
    {"paperCut", &CustomPaperSlot::PaperCut},     {"threeWay", &CustomPaperSlot::ThreeWay},
};

// A member that must be a whole number within 32 bits: 1 read, 0 absent,
// -1 present but not such a number (error set).
int WholeNumber(const std::map<std::string, JsonValue>& members, const std::string& name, std::int32_t& out,
                std::string& error) {
    const auto it = members.find(name);
    if (it == members.end()) return 0;
    const JsonValue& v = it->second;
    if (v.kind == JsonValue::Kind::Number) {
        const char* end = v.text.data() + v.text.size();
        const auto [p, ec] = std::from_chars(v.text.data(), end, out);
        if (ec == std::errc() && p == end) return 1;
    }
    error = "\"" + name + "\" must be a whole number";
    return -1;
}

} // namespace

bool ReadJsonObject(std::string_view text, std::map<std::string, JsonValue>& members, std::string& error) {
    members.clear();
    if (text.size() > kJsonMaxBytes) {
        error = "the text is larger than " + std::to_string(kJsonMaxBytes) + " bytes";
        return false;
    }
    JsonReader reader(text, error);
    if (reader.Object(members)) return true;
    members.clear();
    return false;
}

std::vector<std::pair<std::string, std::string>> SlotJsonFields(const CustomPaperSlot& slot, int mediaId) {
    std::string name = slot.Name;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return {
        {"name", JsonString(name)},
        {"mediaId", std::to_string(mediaId)},
        {"mediaCode", std::to_string(slot.MediaCode)},
        {"paperthick", std::to_string(slot.Paperthick)},
        {"platen", std::to_string(slot.Platen)},
        {"paperdraw", std::to_string(slot.Paperdraw)},
        {"roller", std::to_string(slot.Roller)},
        {"forward", std::to_string(slot.Forward)},
        {"drytime", std::to_string(slot.Drytime)},
        {"paperCut", std::to_string(slot.PaperCut)},
        {"threeWay", std::to_string(slot.ThreeWay)},
    };
}

bool ReadSlotJson(std::string_view text, const CMediaTable& media, CustomPaperSlot& slot, std::string& name,
                  std::string& error) {
    std::map<std::string, JsonValue> members;
    if (!ReadJsonObject(text, members, error)) return false;
    CustomPaperSlot s;
    for (const Member& m : kSettings) {
        const int r = WholeNumber(members, m.name, s.*m.field, error);
        if (r < 0) return false;
        if (r == 0) {
            error = std::string("\"") + m.name + "\" is missing";
            return false;
        }
    }
    std::int32_t code = 0, id = 0;
    const int hasCode = WholeNumber(members, "mediaCode", code, error);
    const int hasId = WholeNumber(members, "mediaId", id, error);
    if (hasCode < 0 || hasId < 0) return false;
    // An id of 0 names no media (what "slot --json" prints for a code the
    // media table does not know).
    if (hasId > 0 && id != 0) {
        if (media.FindRow(id, -1) == nullptr || media.FileId(id) == -1) {
            error = "\"mediaId\" " + std::to_string(id) + " is no media for custom paper";
            return false;
        }
        if (hasCode > 0 && media.IdFromMediaCode(code) != id) {
            error = "\"mediaId\" " + std::to_string(id) + " and \"mediaCode\" " + std::to_string(code) +
                    " name different media: give only one of them";
            return false;
        }
        if (hasCode == 0) code = media.MediaCodeOf(id, -1);
    } else if (hasCode == 0) {
        error = "\"mediaCode\" or \"mediaId\" is missing";
        return false;
    }
    s.MediaCode = code;
    s.MediaId = media.IdFromMediaCode(code);
    const auto it = members.find("name");
    if (it != members.end()) {
        if (it->second.kind != JsonValue::Kind::String) {
            error = "\"name\" must be a string";
            return false;
        }
        name = it->second.text;
    }
    slot = s;
    return true;
}

} // namespace cli
