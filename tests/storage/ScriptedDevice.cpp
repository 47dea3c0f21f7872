#include "ScriptedDevice.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "link/DeviceLibrary.h"

namespace tavtest {
namespace {
ScriptedDevice* g_dev = nullptr;

int Open(int, int, int, int, const char*) {
    return g_dev && g_dev->open ? 1 : 0;
}
int Close(int) {
    return 1;
}
int Port(int) {
    return 1;
}
int Write(const void* data, uint32_t length, uint32_t* written) {
    g_dev->writeCalls.push_back(length);
    uint32_t n = length;
    if (!g_dev->accept.empty()) {
        long a = g_dev->accept.front();
        g_dev->accept.pop_front();
        if (a >= 0 && static_cast<uint32_t>(a) < n) n = static_cast<uint32_t>(a);
    }
    g_dev->taken.append(static_cast<const char*>(data), n);
    *written = n;
    return 1;
}
int Read(void* buffer, uint32_t capacity, uint32_t* received) {
    *received = 0;
    if (g_dev->reads.empty()) return 0;
    std::string r = g_dev->reads.front();
    g_dev->reads.pop_front();
    const uint32_t n = std::min<uint32_t>(capacity, static_cast<uint32_t>(r.size()));
    std::memcpy(buffer, r.data(), n);
    *received = n;
    return 1;
}
} // namespace

ScriptedDevice::ScriptedDevice() {
    g_dev = this;
}
ScriptedDevice::~ScriptedDevice() {
    g_dev = nullptr;
}

void ScriptedDevice::Bind(tav::AppContext& ctx) {
    auto lib = std::make_shared<tav::TableLibrary>("scripted");
    lib->Set("DeviceOpen", &Open);
    lib->Set("DeviceClose", &Close);
    lib->Set("DeviceWrite", &Write);
    lib->Set("DeviceRead", &Read);
    lib->Set("PortAcquire", &Port);
    lib->Set("PortRelease", &Port);
    ctx.link.Bind(lib, lib);
}

TempFile::TempFile(const std::string& bytes, const std::string& name) {
    path = "/tmp/tavsend-" + std::to_string(::getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
TempFile::~TempFile() {
    std::remove(path.c_str());
}

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

} // namespace tavtest
