// A stand-in device library built as a real shared object: it logs every call with its
// arguments and answers reads from a script, so tests see exactly what the programs pass.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#ifndef FAKEDEV_NAME
#define FAKEDEV_NAME "fake"
#endif
#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
struct State {
    std::string log;
    std::deque<std::vector<uint8_t>> reads;
    std::map<std::string, long> knobs;
    std::vector<uint8_t> written;
    int held = 0;
};
// A program under test runs in a process of its own. There the script comes from the file named
// by FAKEDEV_READS (one reply a line, in hex; an empty line is an empty reply) or, as one binary
// reply, from the file named by FAKEDEV_REPLY_FILE; every log line
// and written byte is also appended to the files named by FAKEDEV_LOG and FAKEDEV_WRITTEN.
void LoadScript(State& s) {
    if (const char* file = std::getenv("FAKEDEV_REPLY_FILE")) {
        if (FILE* f = std::fopen(file, "rb")) {
            std::vector<uint8_t> bytes;
            for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
            std::fclose(f);
            s.reads.push_back(std::move(bytes));
        }
    }
    const char* path = std::getenv("FAKEDEV_READS");
    if (!path || !*path) return;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<uint8_t> reply;
        for (size_t i = 0; i + 1 < line.size(); i += 2)
            reply.push_back(static_cast<uint8_t>(std::stoul(line.substr(i, 2), nullptr, 16)));
        s.reads.push_back(std::move(reply));
    }
}
void AppendTo(const char* env, const void* data, size_t n) {
    const char* path = std::getenv(env);
    if (!path || !*path) return;
    if (FILE* f = std::fopen(path, "ab")) {
        std::fwrite(data, 1, n, f);
        std::fclose(f);
    }
}
State& S() {
    static State s = [] {
        State fresh;
        LoadScript(fresh);
        return fresh;
    }();
    return s;
}
long Knob(const char* name, long def) {
    auto it = S().knobs.find(name);
    return it == S().knobs.end() ? def : it->second;
}
void Log(const std::string& line) {
    const std::string text = std::string(FAKEDEV_NAME) + " " + line + "\n";
    S().log += text;
    AppendTo("FAKEDEV_LOG", text.data(), text.size());
}
std::string Hex(const void* data, uint32_t n) {
    std::string out;
    char b[3];
    for (uint32_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", static_cast<const uint8_t*>(data)[i]);
        out += b;
    }
    return out;
}
}  // namespace

EXPORT void FakeDev_Reset() { S() = State(); }
EXPORT void FakeDev_Set(const char* knob, long value) { S().knobs[knob] = value; }
EXPORT void FakeDev_QueueRead(const void* data, uint32_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    S().reads.emplace_back(p, p + length);
}
EXPORT const char* FakeDev_Log() { return S().log.c_str(); }
EXPORT uint32_t FakeDev_Written(const void** data) {
    *data = S().written.data();
    return static_cast<uint32_t>(S().written.size());
}
EXPORT int FakeDev_Held() { return S().held; }

EXPORT int DeviceOpen(int a, int b, int c, int d, const char* name) {
    Log("DeviceOpen(" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," +
        std::to_string(d) + "," + (name ? name : "(null)") + ")");
    return static_cast<int>(Knob("open", 1));
}
EXPORT int DeviceWrite(const void* data, uint32_t length, uint32_t* written) {
    Log("DeviceWrite(" + std::to_string(length) + ")");
    const auto* p = static_cast<const uint8_t*>(data);
    S().written.insert(S().written.end(), p, p + length);
    AppendTo("FAKEDEV_WRITTEN", data, length);
    long shortBy = Knob("writeShort", 0);
    *written = length > static_cast<uint32_t>(shortBy) ? length - static_cast<uint32_t>(shortBy) : 0;
    return 1;
}
#ifndef FAKEDEV_NO_READ
EXPORT int DeviceRead(void* buffer, uint32_t capacity, uint32_t* received) {
    Log("DeviceRead(" + std::to_string(capacity) + ")");
    *received = 0;
    if (long over = Knob("readOverflow", 0)) {
        *received = capacity + static_cast<uint32_t>(over);
        return 1;
    }
    if (S().reads.empty()) return 0;
    std::vector<uint8_t> next = std::move(S().reads.front());
    S().reads.pop_front();
    uint32_t n = std::min<uint32_t>(capacity, static_cast<uint32_t>(next.size()));
    if (n) std::memcpy(buffer, next.data(), n);  // an empty reply has no data pointer
    *received = n;
    return 1;
}
#endif
EXPORT int DeviceClose(int how) {
    Log("DeviceClose(" + std::to_string(how) + ")");
    return 1;
}
EXPORT int GetDeviceIoControl(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength,
                              uint32_t* returned) {
    Log("GetDeviceIoControl(" + std::to_string(code) + "," + Hex(in, inLength) + "," + std::to_string(inLength) +
        "," + std::to_string(outLength) + ")");
    if (!Knob("ioctl", 1)) return 0;
    *returned = 0;
    if (!out || outLength < 3) return 1;  // a request that asks for no answer gets none
    auto* o = static_cast<uint8_t*>(out);
    o[0] = static_cast<uint8_t>(Knob("status0", 9));
    o[1] = static_cast<uint8_t>(Knob("status1", 1));
    o[2] = static_cast<uint8_t>(Knob("status2", 1));
    *returned = 3;
    return 1;
}
EXPORT int DeviceCheck(const char* name, int a, int b, int c) {
    Log(std::string("DeviceCheck(") + (name ? name : "(null)") + "," + std::to_string(a) + "," + std::to_string(b) +
        "," + std::to_string(c) + ")");
    return static_cast<int>(Knob("check", 1));
}
// Why the last open failed, as the real library says it: the "lastError" knob's class (0: none).
EXPORT int DeviceLastError(char* text, uint32_t capacity) {
    const long code = Knob("lastError", 0);
    if (text && capacity > 0) std::snprintf(text, capacity, "%s", code ? "fake reason" : "");
    return static_cast<int>(code);
}
EXPORT int PortAcquire(int token) {
    Log("PortAcquire(" + std::to_string(token) + ")");
    if (!Knob("acquire", 1)) return 0;
    ++S().held;
    return 1;
}
EXPORT int PortRelease(int token) {
    Log("PortRelease(" + std::to_string(token) + ")");
    if (S().held > 0) --S().held;
    return 1;
}
