// SPDX-License-Identifier: GPL-3.0-or-later
// How a source that counts on a thread of its own wakes a GUI that stopped its timer: the
// GUI arms the latch, and the first input after that posts one wake-up, not one per event.
#pragma once

#include <atomic>

namespace tavrel {

// Where the wake-up goes. Called on the source's thread: it must only post to the GUI thread
// and never block. A wake-up that finds the program awake changes nothing.
class WakeTarget {
  public:
    virtual void Wake() = 0;

  protected:
    ~WakeTarget() = default;
};

class WakeLatch {
  public:
    // GUI thread: the next Notify posts one wake-up to target, which outlives the source's run.
    void Arm(WakeTarget& target) {
        target_.store(&target);
        armed_.store(true);
        // Orders the arming before the caller's look at what is counted (paired with Notify).
        std::atomic_thread_fence(std::memory_order_seq_cst);
    }
    // GUI thread: takes the wake-up back. False when Notify has already posted it.
    bool Disarm() { return armed_.exchange(false); }
    // GUI thread: arms, unless input counted before the arming waits to be taken, for which
    // no wake-up would come. True when a wake-up will come.
    template <class Waiting>
    bool ArmUnless(WakeTarget& target, Waiting waiting) {
        Arm(target);
        return !waiting() || !Disarm();
    }
    // The source's thread, after each event is counted: a plain load while not armed.
    void Notify() {
        // The count just made is seen by Arm's caller, or this load sees the latch armed.
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (armed_.load() && armed_.exchange(false)) target_.load()->Wake();
    }

  private:
    std::atomic<bool> armed_{false};
    std::atomic<WakeTarget*> target_{nullptr};
};

}  // namespace tavrel
