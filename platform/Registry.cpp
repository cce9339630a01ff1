// Registry read with an owned key.
#include "platform/Registry.h"

namespace {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (m_key != nullptr)
            RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool Open(HKEY root, const char* subKey, REGSAM access) {
        return RegOpenKeyExA(root, subKey, 0, access, &m_key) == ERROR_SUCCESS;
    }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

} // namespace

bool ReadRegistryText(HKEY root, const char* subKey, const char* valueName, char* buffer,
                      DWORD bufferSize) {
    if (bufferSize == 0)
        return false;
    buffer[0] = '\0';
    RegistryKey key;
    if (!key.Open(root, subKey, KEY_READ))
        return false;

    DWORD size = bufferSize;
    const LONG status = RegQueryValueExA(key.get(), valueName, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer), &size);
    if (status != ERROR_SUCCESS) {
        buffer[0] = '\0';
        return false;
    }
    // The stored bytes need not end in a terminator. Terminate after them,
    // or at the first one; a value that fills the whole buffer without one
    // has no room left and does not fit.
    DWORD length = 0;
    while (length < size && buffer[length] != '\0')
        ++length;
    if (length >= bufferSize || length == 0) {
        buffer[0] = '\0';
        return false;
    }
    buffer[length] = '\0';
    return true;
}
