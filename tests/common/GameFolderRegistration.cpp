#include "GameFolderRegistration.h"

#include <windows.h>

namespace {

const char kGameKey[] = "SOFTWARE\\Infogrames\\Master of Orion III";
const char kGameValue[] = "Program Location";

}  // namespace

GameFolderRegistration::GameFolderRegistration(const std::optional<std::string>& folder) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kGameKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    char value[4096];
    DWORD size = sizeof value - 1;
    if (RegQueryValueExA(key, kGameValue, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
        ERROR_SUCCESS) {
        value[size] = '\0';
        previous_ = std::string(value);
    }
    if (folder)
        ok_ = RegSetValueExA(key, kGameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder->c_str()),
                             static_cast<DWORD>(folder->size() + 1)) == ERROR_SUCCESS;
    else {
        const LONG status = RegDeleteValueA(key, kGameValue);
        ok_ = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    RegCloseKey(key);
}

GameFolderRegistration::~GameFolderRegistration() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    if (previous_)
        RegSetValueExA(key, kGameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_->c_str()),
                       static_cast<DWORD>(previous_->size() + 1));
    else
        RegDeleteValueA(key, kGameValue);
    RegCloseKey(key);
}
