// Tunables of the device library, each overridable by an environment variable so that tests
// and unusual printers can change them without a rebuild.
#pragma once
#include <string>
#include <vector>

namespace qvdevm {

struct Settings {
    int lingerMs;         // QVDEVM_LINGER_MS: how long a detached link stays up unused
    int readTimeoutMs;    // QVDEVM_READ_TIMEOUT_MS: wait for the first byte of a reply
    int quietMs;          // QVDEVM_QUIET_MS: a line quiet this long ends a reply
    int connectTimeoutMs; // QVDEVM_CONNECT_TIMEOUT_MS: TCP connect
    int writeTimeoutMs;   // QVDEVM_WRITE_TIMEOUT_MS: a stalled printer fails the write after this
    int drainMs;          // QVDEVM_DRAIN_MS: at the real close, how long to wait for the peer's EOF
    bool debug;           // QVDEVM_DEBUG=1

    static Settings FromEnvironment();
};

// QVDEVM_LINGER_MS alone, read at every close.
int LingerMs();

// Reads a non-negative integer from the environment; anything else gives the fallback.
int EnvInt(const char* name, int fallback);

// Folders for the port lock files, best first: QVDEVM_LOCK_DIR alone when set, else the
// folder the install creates and then the user's runtime folder. Empty when none is usable.
std::vector<std::string> LockFolders();

} // namespace qvdevm
