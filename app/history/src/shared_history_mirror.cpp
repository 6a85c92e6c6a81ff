// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/shared_history_mirror.h"

#include "tavrel/directory_history_files.h"
#include "tavrel/shared_history_folder.h"

#include <condition_variable>
#include <system_error>
#include <vector>
#include <mutex>
#include <thread>
#include <utility>

namespace tavrel {

// Everything the thread touches: it may outlive the mirror when a drive hangs.
struct SharedHistoryMirror::Shared {
    std::filesystem::path local;
    std::chrono::milliseconds retry;
    std::mutex mutex;
    std::condition_variable changed;
    WakeTarget* wake;  // null once the mirror is gone
    SharedTarget target;
    std::uint64_t asked = 0, done = 0;  // copies asked for, and the number of the last one done
    SharedFolderState state = SharedFolderState::Off;
    LocalDate day{0, 0, 0};  // whose minutes on the others are read; none yet
    DayMinutes othersDay;
    std::uint64_t othersRead = 0;  // counts the readings
    bool stop = false, ended = false;
};

namespace {

DayMinutes ReadOthersDay(const SharedTarget& target, const LocalDate& day) {
    DayMinutes others;
    others.Start(day);
    std::vector<SharedComputer> computers;
    std::error_code error;
    if (!FindSharedComputers(target.folder, target.computerId, computers, error, false)) {
        return others;
    }
    for (const SharedComputer& computer : computers) {
        DirectoryHistoryFiles files(computer.folder);
        AddDayMinutes(files, others);
    }
    return others;
}

}  // namespace

SharedHistoryMirror::SharedHistoryMirror(std::filesystem::path local, WakeTarget* wake,
                                         std::chrono::milliseconds retry)
    : shared_(std::make_shared<Shared>()) {
    shared_->local = std::move(local);
    shared_->retry = retry;
    shared_->wake = wake;
    std::thread(Run, shared_).detach();
}

SharedHistoryMirror::~SharedHistoryMirror() {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->stop = true;
    shared_->wake = nullptr;
    shared_->changed.notify_all();
    shared_->changed.wait_for(lock, std::chrono::seconds(2), [this] { return shared_->ended; });
}

void SharedHistoryMirror::SetTarget(const SharedTarget& target) {
    target_ = target;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->target = target;
    ++shared_->asked;
    shared_->changed.notify_all();
}

void SharedHistoryMirror::Poke() {
    if (target_.folder.empty()) return;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    ++shared_->asked;
    shared_->changed.notify_all();
}

bool SharedHistoryMirror::Flush(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    const std::uint64_t asked = shared_->asked;
    return shared_->changed.wait_for(lock, limit, [&] { return shared_->done >= asked; });
}

SharedFolderState SharedHistoryMirror::state() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->state;
}

void SharedHistoryMirror::SetDay(const LocalDate& day) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (day == shared_->day) return;
    shared_->day = day;
    if (target_.folder.empty()) return;
    ++shared_->asked;
    shared_->changed.notify_all();
}

bool SharedHistoryMirror::TakeOthersDay(std::uint64_t& seen, DayMinutes& day) const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->othersRead == seen) return false;
    seen = shared_->othersRead;
    day = shared_->othersDay;
    return true;
}

void SharedHistoryMirror::Run(std::shared_ptr<Shared> shared) {
    SharedCopyMemo memo;
    SharedTarget copiedTo;
    std::unique_lock<std::mutex> lock(shared->mutex);
    while (!shared->stop) {
        const bool failing =
            shared->state != SharedFolderState::Ok && shared->state != SharedFolderState::Off;
        const auto due = [&] { return shared->stop || shared->asked > shared->done; };
        if (failing) {
            // Tried again after a while even if nothing new is written: the minutes the
            // folder missed are waiting.
            if (!shared->changed.wait_for(lock, shared->retry, due)) ++shared->asked;
        } else {
            shared->changed.wait(lock, due);
        }
        if (shared->stop) break;
        const std::uint64_t asked = shared->asked;
        const SharedTarget target = shared->target;
        const LocalDate day = shared->day;
        lock.unlock();
        if (!(target == copiedTo)) {
            memo = SharedCopyMemo();
            copiedTo = target;
        }
        const SharedFolderState state = CopyHistory(shared->local, target, memo);
        const bool readDay = !target.folder.empty() && IsValidDate(day);
        DayMinutes others;
        if (readDay) others = ReadOthersDay(target, day);
        lock.lock();
        if (readDay) {
            shared->othersDay = others;
            ++shared->othersRead;
        }
        shared->done = asked;
        const bool news = state != shared->state;
        shared->state = state;
        shared->changed.notify_all();
        if (news && shared->wake != nullptr) shared->wake->Wake();
    }
    shared->ended = true;
    shared->changed.notify_all();
}

}  // namespace tavrel
