// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/totals_keeper.h"

namespace tavrel {

namespace {
constexpr char kMain[] = "Main";
constexpr char kDistance[] = "Distance";
constexpr char kTotalKeys[] = "TotalKeys";
constexpr std::int32_t kSaveEvery = 100;
}  // namespace

TotalsKeeper::TotalsKeeper(SettingsStore& store, PainModel& model, FailureNotice& notice)
    : store_(store), model_(model), notice_(notice) {}

void TotalsKeeper::Load() {
    const std::int32_t distance = store_.ReadInt(kMain, kDistance, 0);
    const std::int32_t keys = store_.ReadInt(kMain, kTotalKeys, 0);
    model_.totalDistance = distance;
    model_.totalKeys = keys;
}

bool TotalsKeeper::Write() {
    // Both are tried, so that one failing does not cost the other.
    const bool distanceStored = store_.WriteInt(kMain, kDistance, model_.totalDistance);
    const bool keysStored = store_.WriteInt(kMain, kTotalKeys, model_.totalKeys);
    Stored(distanceStored, keysStored);
    return distanceStored && keysStored;
}

void TotalsKeeper::Stored(bool distance, bool keys) {
    storedValid_ = distance && keys;
    storedDistance_ = model_.totalDistance;
    storedKeys_ = model_.totalKeys;
}

bool TotalsKeeper::Settled() const {
    return storedValid_ && storedDistance_ == model_.totalDistance &&
           storedKeys_ == model_.totalKeys;
}

bool TotalsKeeper::Save() {
    if (Write()) return true;
    notice_.Report();
    return false;
}

void TotalsKeeper::OnSample(const Sample& sample) {
    // The end stores them itself, once.
    if (sample.closing || sample.tickCount % kSaveEvery != 0) return;
    // Each failed write is told, one box after the other.
    const bool distance = store_.WriteInt(kMain, kDistance, model_.totalDistance);
    if (!distance) notice_.Report();
    const bool keys = store_.WriteInt(kMain, kTotalKeys, model_.totalKeys);
    if (!keys) notice_.Report();
    Stored(distance, keys);
}

void TotalsKeeper::OnSessionEnd(SessionEnd how) {
    if (how == SessionEnd::Quit) {
        Save();
    } else {
        Write();
    }
}

}  // namespace tavrel
