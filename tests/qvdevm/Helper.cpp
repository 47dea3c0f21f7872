// A second process for the tests. With one argument (the library) it obeys one-letter
// commands on stdin ("a" acquire, "r" release, "x" and "u" try the printer tcp://printer-x and a
// USB printer and give them back at once, "q" quit), answering each with the result on stdout. With a device name as well, it writes one job to the device and returns from main
// with the device closed but its link lingering, so the library's exit path ends the link.
#include <qvdevm/qvdevm.h>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) return 2;
    void* h = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!h) return 3;
    if (argc == 3) {
        auto open = reinterpret_cast<DeviceOpenFn>(dlsym(h, "DeviceOpen"));
        auto write = reinterpret_cast<DeviceWriteFn>(dlsym(h, "DeviceWrite"));
        auto close = reinterpret_cast<DeviceCloseFn>(dlsym(h, "DeviceClose"));
        if (!open || !write || !close || !open(2, 4, 0, 0, argv[2])) return 4;
        const char job[] = "\x1b%-12345X@PJL\r\n@PJL ECHO EXIT\r\n\x1b%-12345X";
        uint32_t n = 0;
        write(job, static_cast<uint32_t>(std::strlen(job)), &n);
        close(4);
        dlclose(h);
        return n == std::strlen(job) ? 0 : 5;
    }
    auto acquire = reinterpret_cast<PortAcquireFn>(dlsym(h, "PortAcquire"));
    auto release = reinterpret_cast<PortReleaseFn>(dlsym(h, "PortRelease"));
    auto acquireFor = reinterpret_cast<PortAcquireForFn>(dlsym(h, "PortAcquireFor"));
    if (!acquire || !release || !acquireFor) return 4;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    int c;
    while ((c = std::getchar()) != EOF) {
        if (c == 'a')
            std::printf("%d\n", acquire(QVDEVM_PORT_TOKEN));
        else if (c == 'x' || c == 'u') {
            const int held = acquireFor(QVDEVM_PORT_TOKEN, c == 'x' ? "tcp://printer-x" : "usb:04f9:2042");
            if (held) release(QVDEVM_PORT_TOKEN);
            std::printf("%d\n", held);
        }
        else if (c == 'r')
            std::printf("%d\n", release(QVDEVM_PORT_TOKEN));
        else if (c == 'q')
            break;
    }
    return 0;
}
