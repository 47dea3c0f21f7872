#include "FakeDev.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace tavtest {

std::string FakeDevPath(const char* variant) {
    return std::string(FAKEDEV_DIR) + "/libfakedev_" + variant + ".so";
}

FakeDev::FakeDev(const std::string& path) : m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!m_handle) throw std::runtime_error("cannot load " + path + ": " + dlerror());
    Reset();
}

FakeDev::~FakeDev() { dlclose(m_handle); }

template <typename T>
T FakeDev::Fn(const char* name) const {
    void* p = dlsym(m_handle, name);
    if (!p) throw std::runtime_error(std::string("missing ") + name);
    return reinterpret_cast<T>(p);
}

void FakeDev::Reset() { Fn<void (*)()>("FakeDev_Reset")(); }
void FakeDev::Set(const char* knob, long value) { Fn<void (*)(const char*, long)>("FakeDev_Set")(knob, value); }
void FakeDev::QueueRead(const std::vector<uint8_t>& data) {
    Fn<void (*)(const void*, uint32_t)>("FakeDev_QueueRead")(data.data(), static_cast<uint32_t>(data.size()));
}
void FakeDev::QueueRead(const std::string& data) { QueueRead(std::vector<uint8_t>(data.begin(), data.end())); }
std::string FakeDev::Log() const { return Fn<const char* (*)()>("FakeDev_Log")(); }
std::vector<std::string> FakeDev::LogLines() const {
    std::vector<std::string> lines;
    std::istringstream in(Log());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
std::vector<uint8_t> FakeDev::Written() const {
    const void* data = nullptr;
    uint32_t n = Fn<uint32_t (*)(const void**)>("FakeDev_Written")(&data);
    const auto* p = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(p, p + n);
}
int FakeDev::Held() const { return Fn<int (*)()>("FakeDev_Held")(); }

FakeHome::FakeHome() {
    char tmpl[] = "/tmp/tavhome-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
    dir = std::string(tmpl) + "/";
    std::filesystem::create_symlink(FakeDevPath("qvdevm"), dir + "libqvdevm.so");
    std::filesystem::create_symlink(FakeDevPath("qvdevms"), dir + "libqvdevms.so");
}

FakeHome::~FakeHome() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

void FakeHome::Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir + name, std::ios::binary) << text;
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

}  // namespace tavtest
