// tavrel-inputd: counts the seat's keyboard and pointer use and hands the counts, and
// nothing else, to the user in front. Started by systemd through its socket; for trying it
// out by hand, `tavrel-inputd --socket PATH` listens on PATH itself.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "input_service.h"

namespace {

int ListenOn(const char* path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof addr.sun_path) return -1;
    std::strcpy(addr.sun_path, path);
    unlink(path);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || chmod(path, 0666) != 0 ||
        listen(fd, 16) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    int listenFd = -1;
    if (argc == 3 && std::strcmp(argv[1], "--socket") == 0) {
        listenFd = ListenOn(argv[2]);
    } else if (argc == 1 && sd_listen_fds(1) == 1 &&
               sd_is_socket_unix(SD_LISTEN_FDS_START, SOCK_STREAM, 1, nullptr, 0) > 0) {
        listenFd = SD_LISTEN_FDS_START;
        // A client that went between epoll's report and accept must not block the loop.
        fcntl(listenFd, F_SETFL, fcntl(listenFd, F_GETFL) | O_NONBLOCK);
    } else {
        std::fprintf(stderr,
                     "usage: tavrel-inputd (started by its systemd socket) | "
                     "tavrel-inputd --socket PATH\n");
        return 2;
    }
    if (listenFd < 0) {
        std::perror("tavrel-inputd: socket");
        return 1;
    }
    tavrel::inputd::InputService service;
    if (!service.Start(listenFd)) return 1;
    return service.Run();
}
