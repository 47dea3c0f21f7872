// A second process for the port lock tests: loads the library and obeys one-letter commands
// on stdin ("a" acquire, "r" release, "q" quit), answering each with the result on stdout.
#include "qvdevm/qvdevm.h"

#include <cstdio>
#include <dlfcn.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    void* h = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!h) return 3;
    auto acquire = reinterpret_cast<PortAcquireFn>(dlsym(h, "PortAcquire"));
    auto release = reinterpret_cast<PortReleaseFn>(dlsym(h, "PortRelease"));
    if (!acquire || !release) return 4;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    int c;
    while ((c = std::getchar()) != EOF) {
        if (c == 'a') std::printf("%d\n", acquire(QVDEVM_PORT_TOKEN));
        else if (c == 'r') std::printf("%d\n", release(QVDEVM_PORT_TOKEN));
        else if (c == 'q') break;
    }
    return 0;
}
