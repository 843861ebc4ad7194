// The settings in the registry.
#pragma once

#include "platform/win32/win32.h"
#include "settings/settings.h"

namespace zarvella::win32 {

// HKEY_CURRENT_USER\Software\Zarvella, seven REG_DWORD values.
class RegistryStore : public SettingsStore {
  public:
    ~RegistryStore() override;
    bool OpenKey(bool create) override;
    ReadResult ReadValue(const char* name, uint32_t& value) override;
    bool WriteValue(const char* name, uint32_t value) override;
    void CloseKey() override;

  private:
    HKEY key_ = nullptr;
};

}  // namespace zarvella::win32
