// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <utility>

#include "device_set.h"
#include "input_service.h"
#include "logind_session_source.h"
#include "tavrel/unique_fd.h"

namespace {

tavrel::UniqueFd ListenOn(const char* path) {
    tavrel::UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (!fd.valid() || std::strlen(path) >= sizeof addr.sun_path) return {};
    std::strcpy(addr.sun_path, path);
    unlink(path);
    // The socket is made with its mode (0666: anyone may ask) rather than changed after, which
    // would follow a symlink put in its place.
    const mode_t old = umask(0111);
    const bool bound = bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    umask(old);
    if (!bound || listen(fd.get(), 16) != 0) return {};
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    tavrel::UniqueFd listener;
    if (argc == 3 && std::strcmp(argv[1], "--socket") == 0) {
        listener = ListenOn(argv[2]);
    } else if (argc == 1 && sd_listen_fds(1) == 1 &&
               sd_is_socket_unix(SD_LISTEN_FDS_START, SOCK_STREAM, 1, nullptr, 0) > 0) {
        listener.Reset(SD_LISTEN_FDS_START);
        // A client that went between epoll's report and accept must not block the loop.
        fcntl(listener.get(), F_SETFL, fcntl(listener.get(), F_GETFL) | O_NONBLOCK);
    } else {
        std::fprintf(stderr,
                     "usage: tavrel-inputd (started by its systemd socket) | "
                     "tavrel-inputd --socket PATH\n");
        return 2;
    }
    if (!listener.valid()) {
        std::perror("tavrel-inputd: socket");
        return 1;
    }
    tavrel::inputd::DeviceSet devices;
    tavrel::inputd::LogindSessionSource sessions;
    tavrel::inputd::InputService service(devices, sessions);
    if (!service.Start(std::move(listener))) return 1;
    return service.Run();
}
