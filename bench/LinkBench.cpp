// Throughput of a file download through the real device library, against the same file sent
// over one raw socket, to the same sink. The library side is driven the way the panel drives
// it: the port held around the whole file, and every 4096-byte chunk one WritePrinter call
// (acquire, release, open, write, close).
#include "link/Link.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kChunk = 4096;

struct Options {
    std::string sink; // tcp://127.0.0.1:PORT
    std::string libraryFolder;
    size_t mebibytes = 256;
    int rounds = 3;
    std::string file;
};

bool MakeFile(const std::string& path, size_t bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::mt19937_64 random(12345);
    std::vector<uint64_t> block(1 << 16);
    size_t left = bytes;
    while (left > 0) {
        for (auto& v : block)
            v = random();
        size_t n = std::min(left, block.size() * sizeof(uint64_t));
        if (std::fwrite(block.data(), 1, n, f) != n) {
            std::fclose(f);
            return false;
        }
        left -= n;
    }
    return std::fclose(f) == 0;
}

// Reads the file in chunks the way the send dialog does and hands each chunk on.
template <typename Send> bool StreamFile(const std::string& path, Send send, size_t& total) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char chunk[kChunk];
    size_t n;
    total = 0;
    bool ok = true;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (!send(chunk, n)) {
            ok = false;
            break;
        }
        total += n;
    }
    std::fclose(f);
    return ok;
}

int ConnectSink(const std::string& sink) {
    const std::string prefix = "tcp://127.0.0.1:";
    if (sink.compare(0, prefix.size(), prefix) != 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(std::atoi(sink.c_str() + prefix.size())));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        if (fd >= 0) close(fd);
        return -1;
    }
    return fd;
}

// Half-close, then wait for the sink to finish and close its end.
void CloseOrderly(int fd) {
    shutdown(fd, SHUT_WR);
    char sink[4096];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 60000) > 0 && recv(fd, sink, sizeof sink, 0) > 0) {
    }
    close(fd);
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// What one side of a round cost the whole process (every thread of the library included): CPU
// time and context switches. Unlike the wall clock these hardly move with the host's load, so
// they say what each write costs.
struct Cost {
    double cpuSeconds = 0;
    long switches = 0;
};

Cost Now() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds(u.ru_utime) + seconds(u.ru_stime), u.ru_nvcsw + u.ru_nivcsw};
}

Cost Since(const Cost& from) {
    const Cost now = Now();
    return {now.cpuSeconds - from.cpuSeconds, now.switches - from.switches};
}

void Usage() {
    std::fprintf(stderr, "usage: qvdevm_bench --sink tcp://127.0.0.1:PORT --library-folder DIR [--mib N] "
                         "[--rounds N] [--file PATH]\n");
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--sink" && i + 1 < argc)
            o.sink = argv[++i];
        else if (a == "--library-folder" && i + 1 < argc)
            o.libraryFolder = argv[++i];
        else if (a == "--mib" && i + 1 < argc)
            o.mebibytes = static_cast<size_t>(std::atol(argv[++i]));
        else if (a == "--file" && i + 1 < argc)
            o.file = argv[++i];
        else if (a == "--rounds" && i + 1 < argc)
            o.rounds = std::atoi(argv[++i]);
        else {
            Usage();
            return 2;
        }
    }
    if (o.sink.empty() || o.libraryFolder.empty() || o.mebibytes == 0 || o.rounds < 1) {
        Usage();
        return 2;
    }
    if (o.libraryFolder.back() != '/') o.libraryFolder += '/';
    bool ownFile = o.file.empty();
    if (ownFile) {
        char path[] = "/tmp/qvdevm-bench-XXXXXX";
        int fd = mkstemp(path);
        if (fd < 0) return 1;
        close(fd);
        o.file = path;
        if (!MakeFile(o.file, o.mebibytes << 20)) {
            std::fprintf(stderr, "cannot write %s\n", o.file.c_str());
            return 1;
        }
    }
    size_t total = 0;
    StreamFile(
        o.file, [](const char*, size_t) { return true; }, total); // both runs read from the page cache

    tav::Link link;
    if (!link.Bind(false, o.libraryFolder)) {
        std::fprintf(stderr, "cannot load %s%s\n", o.libraryFolder.c_str(), tav::kDeviceLibrary);
        return 1;
    }
    const std::string sink = o.sink;
    link.SetCallbacks({[sink] { return sink; }, [] { std::fprintf(stderr, "port busy\n"); }, nullptr, nullptr});
    // The sink serves one connection at a time, so the raw run waits until the library's
    // link has lingered out.
    const char* lingerText = std::getenv("QVDEVM_LINGER_MS");
    const int lingerMs = lingerText ? std::atoi(lingerText) : 60000;

    // Alternating rounds, best of each side: the host is shared and its load comes and goes.
    std::vector<double> rawTimes, libTimes;
    std::vector<Cost> rawCosts, libCosts;
    for (int round = 0; round < o.rounds; ++round) {
        int fd = ConnectSink(o.sink);
        if (fd < 0) {
            std::fprintf(stderr, "cannot connect to %s\n", o.sink.c_str());
            return 1;
        }
        const Cost rawCost = Now();
        auto rawStart = std::chrono::steady_clock::now();
        bool rawOk = StreamFile(
            o.file,
            [&](const char* data, size_t n) {
                size_t done = 0;
                while (done < n) {
                    ssize_t w = send(fd, data + done, n - done, MSG_NOSIGNAL);
                    if (w <= 0) return false;
                    done += static_cast<size_t>(w);
                }
                return true;
            },
            total);
        rawTimes.push_back(Seconds(rawStart));
        rawCosts.push_back(Since(rawCost));
        CloseOrderly(fd);
        if (!rawOk) {
            std::fprintf(stderr, "raw send failed after %zu bytes\n", total);
            return 1;
        }

        if (!link.AcquirePort()) return 1;
        const Cost libCost = Now();
        auto libStart = std::chrono::steady_clock::now();
        bool libOk = StreamFile(
            o.file,
            [&](const char* data, size_t n) {
                return link.WritePrinter(data, static_cast<uint32_t>(n)) == static_cast<int>(n);
            },
            total);
        libTimes.push_back(Seconds(libStart));
        libCosts.push_back(Since(libCost));
        link.ReleasePort();
        if (!libOk) {
            std::fprintf(stderr, "library send failed after %zu bytes\n", total);
            return 1;
        }
        if (round + 1 < o.rounds) usleep(static_cast<useconds_t>(lingerMs + 500) * 1000);
    }
    const double writes = static_cast<double>((total + kChunk - 1) / kChunk);
    for (size_t i = 0; i < rawTimes.size(); ++i) {
        std::printf("round %zu: raw %.3f s, library %.3f s; per write: raw %.2f us CPU %.3f switches, "
                    "library %.2f us CPU %.3f switches\n",
                    i + 1, rawTimes[i], libTimes[i], rawCosts[i].cpuSeconds * 1e6 / writes,
                    static_cast<double>(rawCosts[i].switches) / writes, libCosts[i].cpuSeconds * 1e6 / writes,
                    static_cast<double>(libCosts[i].switches) / writes);
    }
    const double rawSeconds = *std::min_element(rawTimes.begin(), rawTimes.end());
    const double libSeconds = *std::min_element(libTimes.begin(), libTimes.end());
    if (ownFile) unlink(o.file.c_str());

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double mib = static_cast<double>(total) / (1 << 20);
    const double rawRate = mib / rawSeconds;
    const double libRate = mib / libSeconds;
    std::printf("file: %.0f MiB in %zu-byte chunks to %s, best of %d rounds\n", mib, kChunk, o.sink.c_str(),
                o.rounds);
    std::printf("raw socket loop: %.1f MiB/s (%.3f s)\n", rawRate, rawSeconds);
    std::printf("device library WritePrinter: %.1f MiB/s (%.3f s)\n", libRate, libSeconds);
    std::printf("ratio=%.3f rss_mib=%.1f\n", libRate / rawRate,
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
