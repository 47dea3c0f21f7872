// The JSON-lines event log: one object a line, flushed at once, so a test that reads the file
// while the simulator runs sees every finished line.
#pragma once
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tavsim {

std::string JsonEscape(std::string_view s);

// Builds one event object; fields appear in the order they are added, after "t" and "event".
class Event {
public:
    explicit Event(std::string_view name);
    Event& Str(std::string_view key, std::string_view value);
    Event& Num(std::string_view key, double value);
    Event& Int(std::string_view key, long long value);
    Event& Bool(std::string_view key, bool value);
    Event& StrList(std::string_view key, const std::vector<std::string>& values);
    Event& Hex(std::string_view key, const uint8_t* data, size_t len);
    const std::string& Name() const { return m_name; }
    const std::string& Body() const { return m_body; }

private:
    void Key(std::string_view key);
    std::string m_name;
    std::string m_body;
};

class EventLog {
public:
    EventLog() = default;
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    bool Open(const std::string& path, std::string& error);
    void Write(const Event& ev);
    double Seconds() const;

private:
    std::FILE* m_file = nullptr;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace tavsim
