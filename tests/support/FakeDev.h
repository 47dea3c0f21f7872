// Test-side handle on the stand-in device library: loads it from the same path the program
// binds, so both see one instance of its state.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavtest {

class FakeDev {
public:
    // Loads the library at path; the path stays loaded while this object lives.
    explicit FakeDev(const std::string& path);
    ~FakeDev();
    void Reset();
    void Set(const char* knob, long value);
    void QueueRead(const std::vector<uint8_t>& data);
    void QueueRead(const std::string& data);
    std::string Log() const;
    std::vector<std::string> LogLines() const;
    std::vector<uint8_t> Written() const;
    int Held() const;

private:
    void* m_handle;
    template <typename T>
    T Fn(const char* name) const;
};

// A folder laid out as a program folder: the stand-in libraries linked in under their real names.
struct FakeHome {
    FakeHome();
    ~FakeHome();
    void Write(const std::string& name, const std::string& text) const;
    std::string dir;  // with a trailing '/'
};

std::string FakeDevPath(const char* variant);  // "qvdevm", "qvdevms", "noread"
std::string Bytes(const std::vector<uint8_t>& v);

}  // namespace tavtest
