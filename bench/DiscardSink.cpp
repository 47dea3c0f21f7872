// A sink for the benchmark when no simulator is at hand: listens on 127.0.0.1, prints
// "listening on 127.0.0.1:PORT", takes one connection at a time like a printer, discards
// everything it reads, and ends on SIGTERM.
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

int main() {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 8) != 0) return 1;
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    std::printf("listening on 127.0.0.1:%u\n", ntohs(a.sin_port));
    std::fflush(stdout);
    static char buffer[1 << 16];
    for (;;) {
        int c = accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) continue;
        while (read(c, buffer, sizeof buffer) > 0) {
        }
        close(c);
    }
}
