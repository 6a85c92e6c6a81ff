// logind through sd-login's files and the system bus.
#include "logind_session_source.h"

#include <sys/epoll.h>
#include <systemd/sd-bus.h>
#include <systemd/sd-login.h>

#include <cstdio>
#include <cstdlib>

namespace tavrel::inputd {
namespace {

constexpr char kLogind[] = "org.freedesktop.login1";

int OnPropertiesChanged(sd_bus_message*, void* self, sd_bus_error*) {
    *static_cast<bool*>(self) = true;
    return 0;
}

}  // namespace

LogindSessionSource::~LogindSessionSource() {
    if (monitor_ != nullptr) sd_login_monitor_unref(monitor_);
    if (bus_ != nullptr) sd_bus_flush_close_unref(bus_);
}

bool LogindSessionSource::Start(int epollFd, std::uint64_t monitorTag, std::uint64_t busTag) {
    if (sd_login_monitor_new(nullptr, &monitor_) < 0) return false;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = monitorTag;
    if (epoll_ctl(epollFd, EPOLL_CTL_ADD, sd_login_monitor_get_fd(monitor_), &ev) != 0)
        return false;

    // The lock screen changes no file that sd-login watches: logind announces it as a
    // change of the session's properties.
    if (sd_bus_open_system(&bus_) < 0 ||
        sd_bus_match_signal(bus_, nullptr, kLogind, nullptr, "org.freedesktop.DBus.Properties",
                            "PropertiesChanged", OnPropertiesChanged, &busNews_) < 0) {
        std::fprintf(stderr, "tavrel-inputd: no system bus; the lock screen goes unnoticed\n");
        if (bus_ != nullptr) sd_bus_flush_close_unref(bus_);
        bus_ = nullptr;
        return true;
    }
    ev.data.u64 = busTag;
    epoll_ctl(epollFd, EPOLL_CTL_ADD, sd_bus_get_fd(bus_), &ev);
    DrainBus();
    return true;
}

void LogindSessionSource::OnMonitor() {
    sd_login_monitor_flush(monitor_);
}

void LogindSessionSource::DrainBus() {
    if (bus_ == nullptr) return;
    // A method call may have read signals into the bus's queue: process until it is empty,
    // or the socket would not wake epoll for them.
    int r;
    do {
        r = sd_bus_process(bus_, nullptr);
    } while (r > 0);
    if (r < 0) {
        std::fprintf(stderr, "tavrel-inputd: the system bus went away\n");
        sd_bus_flush_close_unref(bus_);
        bus_ = nullptr;
    }
}

bool LogindSessionSource::TakeNews() {
    DrainBus();
    const bool news = busNews_;
    busNews_ = false;
    return news;
}

bool LogindSessionSource::LockedHint(const char* session) {
    if (bus_ == nullptr) return false;
    char* path = nullptr;
    if (sd_bus_path_encode("/org/freedesktop/login1/session", session, &path) < 0) return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int locked = 0;
    const int r = sd_bus_get_property_trivial(bus_, kLogind, path, "org.freedesktop.login1.Session",
                                              "LockedHint", &error, 'b', &locked);
    sd_bus_error_free(&error);
    std::free(path);
    return r >= 0 && locked != 0;
}

SeatState LogindSessionSource::Seat() {
    SeatState seat;
    char* active = nullptr;
    uid_t uid = 0;
    if (sd_seat_get_active(kSeat, &active, &uid) >= 0 && active != nullptr) {
        // The seat's active session can be one that is closing: only an active one counts.
        if (sd_session_is_active(active) > 0) {
            seat.hasActive = true;
            seat.activeUid = uid;
            seat.activeLocked = LockedHint(active);
        }
    }
    std::free(active);

    char** sessions = nullptr;
    uid_t* uids = nullptr;
    unsigned n = 0;
    const int r = sd_seat_get_sessions(kSeat, &sessions, &uids, &n);
    if (r >= 0 && uids != nullptr) {
        for (unsigned i = 0; i < n && seat.uidCount < SeatState::kMaxUsers; ++i) {
            if (!seat.HasUser(uids[i])) seat.uids[seat.uidCount++] = uids[i];
        }
    }
    if (sessions != nullptr) {
        for (unsigned i = 0; i < n; ++i) std::free(sessions[i]);
        std::free(sessions);
    }
    std::free(uids);
    DrainBus();  // the property call above may have queued signals
    return seat;
}

}  // namespace tavrel::inputd
