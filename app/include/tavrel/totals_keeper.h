// SPDX-License-Identifier: GPL-3.0-or-later
// The two lifetime totals, "Main"/"Distance" and "Main"/"TotalKeys": read into the model at
// start, stored every 100th tick, at Quit and when the session ends.
#pragma once

#include <cstdint>

#include "tavrel/failure_notice.h"
#include "tavrel/pain_model.h"
#include "tavrel/sample.h"
#include "tavrel/settings_store.h"

namespace tavrel {

class TotalsKeeper final : public SampleListener {
  public:
    TotalsKeeper(SettingsStore& store, PainModel& model, FailureNotice& notice);

    // Reads both totals into the model (absent: 0).
    void Load();
    // Stores both; tells the user once when either write failed. False then.
    bool Save();

    void OnSample(const Sample& sample) override;
    // At Quit a failure is told; at logoff or shutdown nothing may wait for the user.
    void OnSessionEnd(SessionEnd how) override;

    // Settled once both totals as they are now have been stored.
    bool Settled() const override;

  private:
    bool Write();
    void Stored(bool distance, bool keys);

    SettingsStore& store_;
    PainModel& model_;
    FailureNotice& notice_;
    bool storedValid_ = false;  // what the store holds is known
    std::int32_t storedDistance_ = 0;
    std::int32_t storedKeys_ = 0;
};

}  // namespace tavrel
