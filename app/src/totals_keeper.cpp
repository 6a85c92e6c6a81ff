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
    return distanceStored && keysStored;
}

bool TotalsKeeper::Save() {
    if (Write()) return true;
    notice_.Report();
    return false;
}

void TotalsKeeper::OnSample(const Sample& sample) {
    if (sample.tickCount % kSaveEvery != 0) return;
    // Each failed write is told, one box after the other.
    if (!store_.WriteInt(kMain, kDistance, model_.totalDistance)) notice_.Report();
    if (!store_.WriteInt(kMain, kTotalKeys, model_.totalKeys)) notice_.Report();
}

void TotalsKeeper::OnSessionEnd(SessionEnd how) {
    if (how == SessionEnd::Quit) {
        Save();
    } else {
        Write();
    }
}

}  // namespace tavrel
