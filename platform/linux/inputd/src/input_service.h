// The service's one thread: an epoll loop over the listening socket, the clients, the
// devices, udev's database and logind. It blocks in epoll_wait with no timeout, so while
// nothing happens it never wakes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device_set.h"
#include "logind_session_source.h"
#include "tavrel/count_keeper.h"
#include "tavrel/inputd_protocol.h"

namespace tavrel::inputd {

class InputService {
  public:
    InputService() = default;
    ~InputService();
    InputService(const InputService&) = delete;
    InputService& operator=(const InputService&) = delete;

    // `listenFd` is the stream socket clients connect to (handed over by systemd).
    bool Start(int listenFd);
    // Runs until a fatal error; returns the exit status.
    int Run();

  private:
    struct Client {
        int fd = -1;
        unsigned char request[sizeof(Request)];
        std::size_t filled = 0;
        bool held = false;  // its Wait waits for something to say
    };

    void Accept();
    void OnClientReadable(std::size_t slot);
    void Answer(std::size_t slot, const Request& request);
    void Send(std::size_t slot, const Reply& reply);
    // After each round: the held Waits that now have something to say are answered.
    void EndWaits();
    void Drop(std::size_t slot);

    int epollFd_ = -1;
    int listenFd_ = -1;
    DeviceSet devices_;
    LogindSessionSource sessions_;
    CountKeeper keeper_{sessions_};
    Client clients_[CountLedger::kMaxConnections];
    int heldCount_ = 0;
};

}  // namespace tavrel::inputd
