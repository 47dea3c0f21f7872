#include "JsonShape.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/Ini.h"

namespace tavtest {
namespace {

struct Value {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    std::string text;                                   // String: the decoded text; Number: as written
    std::vector<Value> items;                           // Array
    std::vector<std::pair<std::string, Value>> members; // Object
};

// Strict RFC 8259, as far as the tests need: throws on anything else.
class Reader {
  public:
    explicit Reader(const std::string& s) : m_s(s) {}
    Value Whole() {
        Value v = Parse();
        Blank();
        if (m_at != m_s.size()) Fail("text after the value");
        return v;
    }

  private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw std::runtime_error(why + " at byte " + std::to_string(m_at));
    }
    void Blank() {
        while (m_at < m_s.size() && std::strchr(" \t\r\n", m_s[m_at]))
            ++m_at;
    }
    bool Take(char c) {
        Blank();
        if (m_at < m_s.size() && m_s[m_at] == c) return ++m_at, true;
        return false;
    }
    std::string Str() {
        if (!Take('"')) Fail("a string expected");
        std::string out;
        for (;;) {
            if (m_at >= m_s.size()) Fail("unended string");
            const char c = m_s[m_at++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
            if (c != '\\') {
                out += c;
            } else if (m_at < m_s.size() && std::strchr("\"\\/bfnrt", m_s[m_at])) {
                out += m_s[m_at++];
            } else if (m_at + 5 <= m_s.size() && m_s[m_at] == 'u' &&
                       std::all_of(m_s.begin() + long(m_at) + 1, m_s.begin() + long(m_at) + 5, [](char h) {
                           return std::isxdigit(static_cast<unsigned char>(h)) != 0;
                       })) {
                out += "\\u" + m_s.substr(m_at + 1, 4); // kept as written: the shapes need no more
                m_at += 5;
            } else {
                Fail("bad escape");
            }
        }
    }
    Value Parse() {
        Value v;
        Blank();
        if (m_at >= m_s.size()) Fail("a value expected");
        if (m_s[m_at] == '"') {
            v.kind = Value::String, v.text = Str();
        } else if (Take('[')) {
            v.kind = Value::Array;
            if (!Take(']')) {
                do {
                    v.items.push_back(Parse());
                } while (Take(','));
                if (!Take(']')) Fail("] expected");
            }
        } else if (Take('{')) {
            v.kind = Value::Object;
            if (!Take('}')) {
                do {
                    std::string key = Str();
                    if (!Take(':')) Fail(": expected");
                    v.members.emplace_back(std::move(key), Parse());
                } while (Take(','));
                if (!Take('}')) Fail("} expected");
            }
        } else if (m_s.compare(m_at, 4, "true") == 0 || m_s.compare(m_at, 5, "false") == 0) {
            v.kind = Value::Bool, m_at += m_s[m_at] == 't' ? 4 : 5;
        } else if (m_s.compare(m_at, 4, "null") == 0) {
            m_at += 4;
        } else {
            const size_t start = m_at;
            if (m_s[m_at] == '-') ++m_at;
            while (m_at < m_s.size() &&
                   (std::isdigit(static_cast<unsigned char>(m_s[m_at])) || std::strchr(".eE+-", m_s[m_at])))
                ++m_at;
            v.kind = Value::Number, v.text = m_s.substr(start, m_at - start);
            if (v.text.empty() || v.text == "-") Fail("a value expected");
        }
        return v;
    }
    const std::string& m_s;
    size_t m_at = 0;
};

const char* KindName(Value::Kind k) {
    static const char* const kNames[] = {"null", "boolean", "number", "string", "array", "object"};
    return kNames[k];
}

// "" when v is of the shape s; where is the path that led here.
std::string Mismatch(const Value& v, const Value& s, const std::string& where) {
    if (s.kind == Value::String) {
        std::istringstream alternatives(s.text);
        for (std::string a; std::getline(alternatives, a, '|');) {
            if ((a == "string" && v.kind == Value::String) || (a == "boolean" && v.kind == Value::Bool) ||
                (a == "integer" && v.kind == Value::Number &&
                 v.text.find_first_not_of("-0123456789") == std::string::npos) ||
                (v.kind == Value::String && v.text == a))
                return "";
        }
        return where + ": " + (v.kind == Value::String ? "\"" + v.text + "\"" : KindName(v.kind)) +
               " is not " + s.text;
    }
    if (v.kind != s.kind) return where + ": " + KindName(v.kind) + " where " + KindName(s.kind) + " belongs";
    if (s.kind == Value::Array) {
        for (size_t i = 0; i < v.items.size(); ++i)
            if (std::string why = Mismatch(v.items[i], s.items.at(0), where + "[" + std::to_string(i) + "]");
                !why.empty())
                return why;
        return "";
    }
    // An object: one key in capitals stands for any; else exactly the keys shown, in any order.
    const bool anyKeys = s.members.size() == 1 && s.members[0].first.find_first_not_of(
                                                      "ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
    if (!anyKeys && v.members.size() != s.members.size())
        return where + ": " + std::to_string(v.members.size()) + " members, not " +
               std::to_string(s.members.size());
    for (const auto& [key, value] : v.members) {
        const Value* expect = anyKeys ? &s.members[0].second : nullptr;
        for (const auto& m : s.members)
            if (!anyKeys && m.first == key) expect = &m.second;
        if (!expect) return where + ": member \"" + key + "\" is not in the shape";
        if (std::string why = Mismatch(value, *expect, where + "." + key); !why.empty()) return why;
    }
    return "";
}

} // namespace

std::string JsonShapeProblem(const std::string& json, const std::string& shape) {
    if (!tav::IsValidUtf8(json)) return "not UTF-8";
    try {
        return Mismatch(Reader(json).Whole(), Reader(shape).Whole(), "$");
    } catch (const std::exception& e) {
        return e.what();
    }
}

std::string ManPageWords(const std::string& roff) {
    std::string out;
    for (size_t i = 0; i < roff.size(); ++i) {
        if (roff[i] == '\\' && i + 1 < roff.size() && roff[i + 1] == '-') {
            out += '-', ++i;
        } else if (roff[i] == '\\' && i + 2 < roff.size() && roff[i + 1] == 'f') {
            i += 2; // \fB, \fI, \fR
        } else {
            out += roff[i];
        }
    }
    return out;
}

std::map<std::string, std::string> ManPageJsonShapes(const std::string& roff) {
    std::map<std::string, std::string> shapes;
    std::istringstream in(ManPageWords(roff.substr(roff.find(".SH JSON OUTPUT"))));
    std::string line, command;
    bool inBlock = false;
    while (std::getline(in, line)) {
        if (line.rfind(".SH", 0) == 0 && inBlock) break;
        if (line == ".nf" || line == ".fi") {
            inBlock = line == ".nf";
            if (!inBlock) break;
        } else if (inBlock && !line.empty() && line[0] != ' ') {
            command = line;
        } else if (inBlock && !command.empty()) {
            shapes[command] += line;
        }
    }
    return shapes;
}

} // namespace tavtest
