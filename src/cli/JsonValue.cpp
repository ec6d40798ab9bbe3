#include "cli/JsonValue.h"

#include <charconv>
#include <set>

namespace cli {

namespace {

// The refusals' texts, in the order of their ids.
enum Refusal : int {
    kAtByte = 115000,
    kTextAfterValue,
    kUnknownWord,
    kEndsBeforeValue,
    kTooDeep,
    kNameExpected,
    kNameTwice,
    kColonExpected,
    kEndsInObject,
    kCommaOrBrace,
    kEndsInArray,
    kCommaOrBracket,
    kValueExpected,
    kDigitsAfterPoint,
    kDigitsAfterExponent,
    kHexAfterU,
    kNotUtf8,
    kEndsInString,
    kControlInString,
    kLoneLow,
    kLoneHigh,
    kUnknownEscape,
    kTooLong,
};

} // namespace

// Recursive descent over the text; every step checks the end first.
class JsonParser {
public:
    explicit JsonParser(std::string_view text) : m_s(text) {}

    bool Document(JsonValue& out) {
        SkipSpace();
        if (!Value(out, 0)) return false;
        SkipSpace();
        if (m_i != m_s.size()) return Fail(kTextAfterValue);
        return true;
    }
    Sentence Error() const { return Say(kAtByte, {Say(m_error), std::to_string(m_i)}); }

private:
    bool Fail(int what) {
        if (m_error == 0) m_error = what;
        return false;
    }
    bool AtEnd() const { return m_i >= m_s.size(); }
    char Peek() const { return m_s[m_i]; }
    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++m_i;
    }
    bool Literal(std::string_view word) {
        if (m_s.substr(m_i, word.size()) != word) return Fail(kUnknownWord);
        m_i += word.size();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (AtEnd()) return Fail(kEndsBeforeValue);
        switch (Peek()) {
        case '{':
            return Object(v, depth + 1);
        case '[':
            return Array(v, depth + 1);
        case '"':
            v.m_type = JsonValue::Type::String;
            return String(v.m_text);
        case 't':
            v.m_type = JsonValue::Type::Bool;
            v.m_bool = true;
            return Literal("true");
        case 'f':
            v.m_type = JsonValue::Type::Bool;
            return Literal("false");
        case 'n':
            v.m_type = JsonValue::Type::Null;
            return Literal("null");
        default:
            v.m_type = JsonValue::Type::Number;
            return Number(v.m_text);
        }
    }

    bool Object(JsonValue& v, int depth) {
        if (depth > JsonValue::kMaxDepth) return Fail(kTooDeep);
        v.m_type = JsonValue::Type::Object;
        std::set<std::string> names;
        ++m_i;
        SkipSpace();
        if (!AtEnd() && Peek() == '}') {
            ++m_i;
            return true;
        }
        for (;;) {
            SkipSpace();
            if (AtEnd() || Peek() != '"') return Fail(kNameExpected);
            std::string name;
            if (!String(name)) return false;
            if (!names.insert(name).second) return Fail(kNameTwice);
            SkipSpace();
            if (AtEnd() || Peek() != ':') return Fail(kColonExpected);
            ++m_i;
            SkipSpace();
            JsonValue member;
            if (!Value(member, depth)) return false;
            v.m_members.emplace_back(std::move(name), std::move(member));
            SkipSpace();
            if (AtEnd()) return Fail(kEndsInObject);
            if (Peek() == '}') {
                ++m_i;
                return true;
            }
            if (Peek() != ',') return Fail(kCommaOrBrace);
            ++m_i;
        }
    }

    bool Array(JsonValue& v, int depth) {
        if (depth > JsonValue::kMaxDepth) return Fail(kTooDeep);
        v.m_type = JsonValue::Type::Array;
        ++m_i;
        SkipSpace();
        if (!AtEnd() && Peek() == ']') {
            ++m_i;
            return true;
        }
        for (;;) {
            SkipSpace();
            JsonValue item;
            if (!Value(item, depth)) return false;
            v.m_items.push_back(std::move(item));
            SkipSpace();
            if (AtEnd()) return Fail(kEndsInArray);
            if (Peek() == ']') {
                ++m_i;
                return true;
            }
            if (Peek() != ',') return Fail(kCommaOrBracket);
            ++m_i;
        }
    }

    bool Number(std::string& out) {
        const std::size_t start = m_i;
        auto digits = [&] {
            const std::size_t from = m_i;
            while (!AtEnd() && Peek() >= '0' && Peek() <= '9')
                ++m_i;
            return m_i > from;
        };
        if (!AtEnd() && Peek() == '-') ++m_i;
        if (!AtEnd() && Peek() == '0') {
            ++m_i;
        } else if (!digits()) {
            return Fail(kValueExpected);
        }
        if (!AtEnd() && Peek() == '.') {
            ++m_i;
            if (!digits()) return Fail(kDigitsAfterPoint);
        }
        if (!AtEnd() && (Peek() == 'e' || Peek() == 'E')) {
            ++m_i;
            if (!AtEnd() && (Peek() == '+' || Peek() == '-')) ++m_i;
            if (!digits()) return Fail(kDigitsAfterExponent);
        }
        out.assign(m_s.substr(start, m_i - start));
        return true;
    }

    bool Hex4(unsigned& value) {
        if (m_s.size() - m_i < 4) return Fail(kHexAfterU);
        value = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = m_s[m_i++];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= static_cast<unsigned>(c - 'A' + 10);
            else
                return Fail(kHexAfterU);
        }
        return true;
    }

    static void Utf8(std::string& out, char32_t cp) {
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

    // One UTF-8 character of the input, checked, copied to `out`.
    bool Character(std::string& out) {
        const auto lead = static_cast<unsigned char>(Peek());
        std::size_t n = lead < 0x80                    ? 1
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
        if (n == 0 || m_s.size() - m_i < n) return Fail(kNotUtf8);
        char32_t cp = n == 1 ? lead : lead & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto b = static_cast<unsigned char>(m_s[m_i + k]);
            if ((b & 0xC0) != 0x80) return Fail(kNotUtf8);
            cp = (cp << 6) | (b & 0x3F);
        }
        if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return Fail(kNotUtf8);
        out.append(m_s.substr(m_i, n));
        m_i += n;
        return true;
    }

    bool String(std::string& out) {
        ++m_i; // the opening quote
        for (;;) {
            if (AtEnd()) return Fail(kEndsInString);
            const char c = Peek();
            if (c == '"') {
                ++m_i;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return Fail(kControlInString);
            if (c != '\\') {
                if (!Character(out)) return false;
                continue;
            }
            ++m_i;
            if (AtEnd()) return Fail(kEndsInString);
            const char e = m_s[m_i++];
            switch (e) {
            case '"':
                out.push_back('"');
                break;
            case '\\':
                out.push_back('\\');
                break;
            case '/':
                out.push_back('/');
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'u': {
                unsigned hi;
                if (!Hex4(hi)) return false;
                char32_t cp = hi;
                if (hi >= 0xDC00 && hi <= 0xDFFF) return Fail(kLoneLow);
                if (hi >= 0xD800 && hi <= 0xDBFF) {
                    unsigned lo;
                    if (m_s.substr(m_i, 2) != "\\u") return Fail(kLoneHigh);
                    m_i += 2;
                    if (!Hex4(lo)) return false;
                    if (lo < 0xDC00 || lo > 0xDFFF) return Fail(kLoneHigh);
                    cp = 0x10000 + ((hi - 0xD800) << 10) + (lo - 0xDC00);
                }
                Utf8(out, cp);
                break;
            }
            default:
                return Fail(kUnknownEscape);
            }
        }
    }

    std::string_view m_s;
    std::size_t m_i = 0;
    int m_error = 0; // the first refusal's text
};

bool JsonValue::Parse(std::string_view text, JsonValue& out, std::string& error) {
    Sentence why;
    const bool ok = Parse(text, out, why);
    error = ok ? std::string() : why.Text();
    return ok;
}

bool JsonValue::Parse(std::string_view text, JsonValue& out, Sentence& error) {
    out = JsonValue();
    if (text.size() > kMaxInput) {
        error = Say(kTooLong);
        return false;
    }
    JsonParser parser(text);
    JsonValue value;
    if (!parser.Document(value)) {
        error = parser.Error();
        return false;
    }
    out = std::move(value);
    return true;
}

const JsonValue* JsonValue::Member(const std::string& name) const {
    for (const auto& member : m_members)
        if (member.first == name) return &member.second;
    return nullptr;
}

bool JsonValue::AsInt32(std::int32_t& value) const {
    if (m_type != Type::Number) return false;
    const char* end = m_text.data() + m_text.size();
    std::int32_t v = 0;
    const auto r = std::from_chars(m_text.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end) return false;
    value = v;
    return true;
}

} // namespace cli
