#include "EventLog.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "Sha256.h"

namespace tavsim {

std::string JsonEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c >= 0x7f) {
                    // Bytes outside ASCII are not trusted to be UTF-8; \u00XX keeps the line valid JSON.
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += char(c);
                }
        }
    }
    return out;
}

Event::Event(std::string_view name) : m_name(name) {}

void Event::Key(std::string_view key) {
    m_body += ",\"";
    m_body += JsonEscape(key);
    m_body += "\":";
}

Event& Event::Str(std::string_view key, std::string_view value) {
    Key(key);
    m_body += '"';
    m_body += JsonEscape(value);
    m_body += '"';
    return *this;
}

Event& Event::Num(std::string_view key, double value) {
    Key(key);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", std::isfinite(value) ? value : 0.0);
    m_body += buf;
    return *this;
}

Event& Event::Int(std::string_view key, long long value) {
    Key(key);
    m_body += std::to_string(value);
    return *this;
}

Event& Event::Bool(std::string_view key, bool value) {
    Key(key);
    m_body += value ? "true" : "false";
    return *this;
}

Event& Event::StrList(std::string_view key, const std::vector<std::string>& values) {
    Key(key);
    m_body += '[';
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) m_body += ',';
        m_body += '"';
        m_body += JsonEscape(values[i]);
        m_body += '"';
    }
    m_body += ']';
    return *this;
}

Event& Event::Hex(std::string_view key, const uint8_t* data, size_t len) {
    Key(key);
    m_body += '"';
    m_body += Sha256::HexOf(data, len);
    m_body += '"';
    return *this;
}

EventLog::~EventLog() {
    if (m_file) std::fclose(m_file);
}

bool EventLog::Open(const std::string& path, std::string& error) {
    m_file = std::fopen(path.c_str(), "w");
    if (!m_file) {
        error = "cannot open log file " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

double EventLog::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void EventLog::Write(const Event& ev) {
    if (!m_file) return;
    char head[64];
    std::snprintf(head, sizeof head, "{\"t\":%.6f,\"event\":\"", Seconds());
    std::string line = head;
    line += JsonEscape(ev.Name());
    line += '"';
    line += ev.Body();
    line += "}\n";
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
}

}  // namespace tavsim
