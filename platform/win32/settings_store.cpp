#include "platform/win32/settings_store.h"

namespace zarvella::win32 {

namespace {
// "\Software\Zarvella\": the leading backslash only says "from the root", so
// the path given to the registry starts after it.
constexpr const char* kSettingsKey = "\\Software\\Zarvella\\";
const char* RelativeToRoot(const char* path) {
    return path[0] == '\\' ? path + 1 : path;
}
}  // namespace

RegistryStore::~RegistryStore() {
    CloseKey();
}

bool RegistryStore::OpenKey(bool create) {
    CloseKey();
    const char* path = RelativeToRoot(kSettingsKey);
    LONG result;
    if (create) {
        result = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    } else {
        result = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key_);
    }
    if (result != ERROR_SUCCESS) key_ = nullptr;
    return key_ != nullptr;
}

ReadResult RegistryStore::ReadValue(const char* name, uint32_t& value) {
    BYTE data[4] = {0, 0, 0, 0};
    DWORD type = REG_NONE;
    DWORD size = sizeof data;
    // ERROR_MORE_DATA (longer than four bytes) counts as missing.
    if (RegQueryValueExA(key_, name, nullptr, &type, data, &size) != ERROR_SUCCESS || size > 4) {
        return ReadResult::Missing;
    }
    if (type != REG_DWORD) return ReadResult::OtherType;
    value = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
            static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    return ReadResult::Ok;
}

bool RegistryStore::WriteValue(const char* name, uint32_t value) {
    const DWORD data = value;
    return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

void RegistryStore::CloseKey() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

}  // namespace zarvella::win32
