// SPDX-License-Identifier: GPL-3.0-or-later
// logind through sd-login's files and the system bus, read without blocking.
#include "logind_session_source.h"

#include <sys/epoll.h>
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>
#include <systemd/sd-login.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace tavrel::inputd {
namespace {

constexpr char kLogind[] = "org.freedesktop.login1";
constexpr char kSessionInterface[] = "org.freedesktop.login1.Session";
constexpr std::uint64_t kFirstRetryUs = 250'000;
constexpr std::uint64_t kLongestRetryUs = 8'000'000;
// Logind answers in milliseconds; an answer this late is taken as none, and asked again.
constexpr std::uint64_t kCallTimeoutUs = 5'000'000;

bool SameSeat(const SeatState& a, const SeatState& b) {
    if (a.hasActive != b.hasActive || a.activeUid != b.activeUid || a.lockKnown != b.lockKnown ||
        a.activeLocked != b.activeLocked || a.lockPending != b.lockPending ||
        a.uidCount != b.uidCount) {
        return false;
    }
    return std::equal(a.uids, a.uids + a.uidCount, b.uids);
}

bool IsUserSession(const char* session) {
    char* cls = nullptr;
    const bool user =
        sd_session_get_class(session, &cls) >= 0 && cls != nullptr && std::strcmp(cls, "user") == 0;
    std::free(cls);
    return user;
}

LogindSessionSource* Self(void* self) {
    return static_cast<LogindSessionSource*>(self);
}

}  // namespace

LogindSessionSource::~LogindSessionSource() {
    DropBus();
    sd_event_source_unref(retry_);
    sd_event_source_unref(monitorSource_);
    if (monitor_ != nullptr) sd_login_monitor_unref(monitor_);
    if (event_ != nullptr) sd_event_unref(event_);
}

bool LogindSessionSource::Start(EpollSet& epoll) {
    if (sd_event_new(&event_) < 0 || sd_login_monitor_new(nullptr, &monitor_) < 0) return false;
    if (sd_event_add_io(event_, &monitorSource_, sd_login_monitor_get_fd(monitor_), EPOLLIN,
                        OnMonitor, this) < 0 ||
        !epoll.Add(sd_event_get_fd(event_), {Watched::Sessions})) {
        return false;
    }
    if (!ConnectBus()) {
        std::fprintf(stderr,
                     "tavrel-inputd: no system bus yet; nothing counts until it is there\n");
        RetryLater();
    }
    Refresh();
    OnReady({Watched::Sessions});  // a first turn of the loop sends what waits to be sent
    return true;
}

bool LogindSessionSource::OnReady(EpollTag) {
    news_ = false;
    // One source a turn; the turn that finds nothing has also prepared the next wait.
    for (int turns = 0; turns < 10000 && sd_event_run(event_, 0) > 0; ++turns) {
    }
    return news_;
}

bool LogindSessionSource::ConnectBus() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) return false;
    // The matches are added without waiting for the bus's answer; so is every call here.
    const bool ok =
        sd_bus_set_method_call_timeout(bus, kCallTimeoutUs) >= 0 &&
        sd_bus_attach_event(bus, event_, SD_EVENT_PRIORITY_NORMAL) >= 0 &&
        sd_bus_match_signal_async(bus, nullptr, nullptr, "/org/freedesktop/DBus/Local",
                                  "org.freedesktop.DBus.Local", "Disconnected", OnDisconnected,
                                  nullptr, this) >= 0 &&
        sd_bus_match_signal_async(bus, nullptr, kLogind, nullptr, "org.freedesktop.DBus.Properties",
                                  "PropertiesChanged", OnPropertiesChanged, nullptr, this) >= 0 &&
        sd_bus_match_signal_async(bus, nullptr, kLogind, nullptr, kSessionInterface, "Lock",
                                  OnLockSignal, nullptr, this) >= 0 &&
        sd_bus_match_signal_async(bus, nullptr, kLogind, nullptr, kSessionInterface, "Unlock",
                                  OnLockSignal, nullptr, this) >= 0;
    if (!ok) {
        sd_bus_flush_close_unref(bus);
        return false;
    }
    bus_ = bus;
    busLost_ = false;
    ReadLockedHint();
    return true;
}

void LogindSessionSource::DropBus() {
    hintCall_ = sd_bus_slot_unref(hintCall_);
    if (bus_ == nullptr) return;
    sd_bus_detach_event(bus_);
    sd_bus_flush_close_unref(bus_);
    bus_ = nullptr;
}

void LogindSessionSource::RetryLater() {
    retryDelayUs_ =
        retryDelayUs_ == 0 ? kFirstRetryUs : std::min(retryDelayUs_ * 2, kLongestRetryUs);
    if (retry_ == nullptr) {
        if (sd_event_add_time_relative(event_, &retry_, CLOCK_MONOTONIC, retryDelayUs_, 0, OnRetry,
                                       this) < 0) {
            retry_ = nullptr;
        }
        return;
    }
    sd_event_source_set_time_relative(retry_, retryDelayUs_);
    sd_event_source_set_enabled(retry_, SD_EVENT_ONESHOT);
}

int LogindSessionSource::OnRetry(sd_event_source*, std::uint64_t, void* self) {
    LogindSessionSource& s = *Self(self);
    if (s.bus_ == nullptr || s.busLost_) {
        s.DropBus();
        if (!s.ConnectBus()) s.RetryLater();
    } else if (!s.lock_.Known() && s.hintCall_ == nullptr) {
        s.ReadLockedHint();
    }
    s.Refresh();
    return 0;
}

int LogindSessionSource::OnDisconnected(sd_bus_message*, void* self, sd_bus_error*) {
    LogindSessionSource& s = *Self(self);
    std::fprintf(stderr,
                 "tavrel-inputd: the system bus went away; nothing counts until it is back\n");
    // The bus is closed from the retry, outside its own callbacks.
    s.busLost_ = true;
    s.hintCall_ = sd_bus_slot_unref(s.hintCall_);
    s.lock_.Forget();
    s.retryDelayUs_ = 0;
    s.RetryLater();
    s.Refresh();
    return 0;
}

int LogindSessionSource::OnMonitor(sd_event_source*, int, std::uint32_t, void* self) {
    LogindSessionSource& s = *Self(self);
    sd_login_monitor_flush(s.monitor_);
    s.Refresh();
    return 0;
}

bool LogindSessionSource::AboutFront(sd_bus_message* m) const {
    const char* path = sd_bus_message_get_path(m);
    return path != nullptr && !frontPath_.empty() && frontPath_ == path;
}

int LogindSessionSource::OnPropertiesChanged(sd_bus_message* m, void* self, sd_bus_error*) {
    LogindSessionSource& s = *Self(self);
    const char* iface = nullptr;
    if (!s.AboutFront(m) || sd_bus_message_read(m, "s", &iface) < 0 ||
        std::strcmp(iface, kSessionInterface) != 0 ||
        sd_bus_message_enter_container(m, 'a', "{sv}") < 0) {
        return 0;
    }
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(m, "s", &name) < 0) return 0;
        if (std::strcmp(name, "LockedHint") == 0) {
            int locked = 0;
            if (sd_bus_message_read(m, "v", "b", &locked) < 0) return 0;
            s.lock_.Hint(locked != 0);
        } else if (sd_bus_message_skip(m, "v") < 0) {
            return 0;
        }
        if (sd_bus_message_exit_container(m) < 0) return 0;
    }
    if (sd_bus_message_exit_container(m) >= 0 && sd_bus_message_enter_container(m, 'a', "s") >= 0) {
        const char* name = nullptr;
        while (sd_bus_message_read(m, "s", &name) > 0) {
            if (std::strcmp(name, "LockedHint") == 0) {
                s.lock_.HintUnknown();
                s.ReadLockedHint();
            }
        }
    }
    s.Refresh();
    return 0;
}

int LogindSessionSource::OnLockSignal(sd_bus_message* m, void* self, sd_bus_error*) {
    LogindSessionSource& s = *Self(self);
    if (!s.AboutFront(m)) return 0;
    if (sd_bus_message_is_signal(m, kSessionInterface, "Lock") > 0) s.lock_.LockSignal();
    if (sd_bus_message_is_signal(m, kSessionInterface, "Unlock") > 0) s.lock_.UnlockSignal();
    s.Refresh();
    return 0;
}

void LogindSessionSource::ReadLockedHint() {
    hintCall_ = sd_bus_slot_unref(hintCall_);
    if (bus_ == nullptr || busLost_ || frontPath_.empty()) return;
    if (sd_bus_call_method_async(bus_, &hintCall_, kLogind, frontPath_.c_str(),
                                 "org.freedesktop.DBus.Properties", "Get", OnLockedHintRead, this,
                                 "ss", kSessionInterface, "LockedHint") < 0) {
        hintCall_ = nullptr;
        RetryLater();
    }
}

int LogindSessionSource::OnLockedHintRead(sd_bus_message* m, void* self, sd_bus_error*) {
    LogindSessionSource& s = *Self(self);
    s.hintCall_ = sd_bus_slot_unref(s.hintCall_);
    int locked = 0;
    if (sd_bus_message_is_method_error(m, nullptr) ||
        sd_bus_message_read(m, "v", "b", &locked) < 0) {
        s.RetryLater();  // still not known: nothing counts meanwhile
    } else {
        s.lock_.Hint(locked != 0);
        s.retryDelayUs_ = 0;
    }
    s.Refresh();
    return 0;
}

void LogindSessionSource::Refresh() {
    SeatState seat;
    std::string front;
    char* active = nullptr;
    uid_t uid = 0;
    if (sd_seat_get_active(kSeat, &active, &uid) >= 0 && active != nullptr) {
        // The seat's active session can be one that is closing, or a login screen: only an
        // active session of class user counts.
        if (sd_session_is_active(active) > 0 && IsUserSession(active)) {
            seat.hasActive = true;
            seat.activeUid = uid;
            front = active;
        }
    }
    std::free(active);
    if (front != front_) {
        // Another session in front: its lock is not known until logind has said.
        front_ = front;
        frontPath_.clear();
        lock_.Forget();
        char* path = nullptr;
        if (!front.empty() &&
            sd_bus_path_encode("/org/freedesktop/login1/session", front.c_str(), &path) >= 0) {
            frontPath_ = path;
        }
        std::free(path);
        ReadLockedHint();
    }
    seat.lockKnown = lock_.Known();
    seat.activeLocked = lock_.Locked();
    seat.lockPending = hintCall_ != nullptr;

    char** sessions = nullptr;
    uid_t* uids = nullptr;
    unsigned n = 0;
    const int r = sd_seat_get_sessions(kSeat, &sessions, &uids, &n);
    if (r >= 0 && sessions != nullptr && uids != nullptr) {
        for (unsigned i = 0; i < n && sessions[i] != nullptr; ++i) {
            if (seat.uidCount < SeatState::kMaxUsers && !seat.HasUser(uids[i]) &&
                IsUserSession(sessions[i])) {
                seat.uids[seat.uidCount++] = uids[i];
            }
        }
    }
    if (sessions != nullptr) {
        for (unsigned i = 0; sessions[i] != nullptr; ++i) std::free(sessions[i]);
        std::free(sessions);
    }
    std::free(uids);
    if (!SameSeat(seat, seat_)) news_ = true;
    seat_ = seat;
}

}  // namespace tavrel::inputd
