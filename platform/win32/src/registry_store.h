// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store kept in the Windows registry of the current user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tavrel/settings_store.h"

namespace tavrel {

// Section S is the key HKEY_CURRENT_USER\Software\<company>\<application>\S; integers are
// REG_DWORD values holding the signed 32 bits, texts REG_SZ values, UTF-8 to the program and
// UTF-16 in the registry (a text that is not UTF-8 is not written). Writes create missing keys;
// reads create nothing. A value of another registry type, or a REG_DWORD whose data is not four
// bytes long, reads as the default. A REG_SZ ends at its first NUL or at the end of its data,
// whichever comes first, so an unterminated one reads safely.
class RegistryStore : public SettingsStore {
  public:
    RegistryStore(std::string company, std::string application);

    std::int32_t ReadInt(const char* section, const char* key, std::int32_t def) override;
    std::string ReadString(const char* section, const char* key, const char* def) override;
    bool WriteInt(const char* section, const char* key, std::int32_t value) override;
    bool WriteString(const char* section, const char* key, const char* value) override;
    bool WriteBatch(const std::vector<StoreValue>& values) override;

    // "Software\<company>\<application>", below HKEY_CURRENT_USER.
    const std::string& applicationKeyPath() const { return applicationKey_; }

  private:
    std::string applicationKey_;
};

}  // namespace tavrel
