// tavsim: a printer of the family on a loopback TCP port, for tests and the demo.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "EventLog.h"
#include "Printer.h"
#include "Profile.h"
#include "Server.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

void Usage() {
    std::fprintf(stderr,
                 "usage: tavsim --profile FILE --port PORT --log FILE [--fault FAULT]... [--exit-after-idle SECONDS]\n"
                 "              [--data-quiet-ms MS] [--max-hex BYTES] [--split-pause-ms MS] [--program-ms MS]\n"
                 "faults: no-reply, delay=MS, split=BYTES, truncate=BYTES, garbage[=SEED], drop, stall,\n"
                 "        unasked, cut=BYTES, drop-after=JOBS, refuse; aimed at one command or the Nth job\n"
                 "        of the run: 'INFO PRINTER:truncate=20', 'job3:drop', 'job2:cut=1500000'\n");
}

bool ParseLong(const char* s, long lo, long hi, long& out) {
    char* end = nullptr;
    out = std::strtol(s, &end, 10);
    return *s && *end == '\0' && out >= lo && out <= hi;
}

}  // namespace

int main(int argc, char** argv) {
    std::string profilePath, logPath;
    tavsim::ServerOptions opt;
    bool havePort = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        auto need = [&]() {
            if (!v) {
                std::fprintf(stderr, "tavsim: %s needs a value\n", a.c_str());
                Usage();
                std::exit(2);
            }
            ++i;
            return v;
        };
        long n;
        if (a == "--profile") {
            profilePath = need();
        } else if (a == "--log") {
            logPath = need();
        } else if (a == "--port") {
            if (!ParseLong(need(), 0, 65535, n)) return std::fprintf(stderr, "tavsim: bad port\n"), 2;
            opt.port = int(n);
            havePort = true;
        } else if (a == "--fault") {
            std::string error;
            if (!tavsim::ParseFault(need(), opt.faults, error)) return std::fprintf(stderr, "tavsim: %s\n", error.c_str()), 2;
        } else if (a == "--exit-after-idle") {
            if (!ParseLong(need(), 1, 86400, n)) return std::fprintf(stderr, "tavsim: bad idle time\n"), 2;
            opt.exitAfterIdleSec = double(n);
        } else if (a == "--data-quiet-ms") {
            if (!ParseLong(need(), 1, 3600000, n)) return std::fprintf(stderr, "tavsim: bad quiet time\n"), 2;
            opt.dataQuietMs = int(n);
        } else if (a == "--split-pause-ms") {
            if (!ParseLong(need(), 0, 60000, n)) return std::fprintf(stderr, "tavsim: bad --split-pause-ms\n"), 2;
            opt.splitPauseMs = int(n);
        } else if (a == "--max-hex") {
            if (!ParseLong(need(), 0, 1L << 30, n)) return std::fprintf(stderr, "tavsim: bad --max-hex\n"), 2;
            opt.maxHex = size_t(n);
        } else if (a == "--program-ms") {
            if (!ParseLong(need(), 0, 3600000, n)) return std::fprintf(stderr, "tavsim: bad --program-ms\n"), 2;
            opt.firmware.programMs = int(n);
        } else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else {
            std::fprintf(stderr, "tavsim: unknown argument %s\n", a.c_str());
            Usage();
            return 2;
        }
    }
    if (profilePath.empty() || logPath.empty() || !havePort) {
        Usage();
        return 2;
    }

    tavsim::Profile profile;
    std::string error;
    if (!tavsim::LoadProfile(profilePath, profile, error)) {
        std::fprintf(stderr, "tavsim: %s\n", error.c_str());
        return 1;
    }
    if (!tavsim::LoadFirmwareModel(profile, opt.firmware, error)) {
        std::fprintf(stderr, "tavsim: %s\n", error.c_str());
        return 1;
    }
    tavsim::EventLog log;
    if (!log.Open(logPath, error)) {
        std::fprintf(stderr, "tavsim: %s\n", error.c_str());
        return 1;
    }

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    tavsim::Printer printer(profile);
    tavsim::Server server(opt, printer, log);
    int port = server.Bind(error);
    if (port < 0) {
        std::fprintf(stderr, "tavsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("listening on 127.0.0.1:%d\n", port);
    std::fflush(stdout);
    return server.Run(g_stop);
}
