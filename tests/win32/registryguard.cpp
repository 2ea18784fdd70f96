#include "registryguard.h"

namespace quendal::testing {

namespace {

// What a 64-bit program sees, from either build.
constexpr REGSAM kView = KEY_WOW64_64KEY;
constexpr DWORD kGetFlags = RRF_RT_ANY | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY;

}  // namespace

RegistryValue::RegistryValue(HKEY root, std::wstring key, std::wstring name)
    : m_root(root), m_key(std::move(key)), m_name(std::move(name)) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(m_root, m_key.c_str(), m_name.c_str(), kGetFlags, &type, nullptr, &size) ==
        ERROR_SUCCESS) {
        Stored stored{type, std::vector<BYTE>(size)};
        if (RegGetValueW(m_root, m_key.c_str(), m_name.c_str(), kGetFlags, &type,
                         stored.bytes.data(), &size) == ERROR_SUCCESS) {
            stored.bytes.resize(size);
            m_before = std::move(stored);
        }
    }
}

RegistryValue::~RegistryValue() {
    if (m_before) {
        Write(m_before->type, m_before->bytes.data(), static_cast<DWORD>(m_before->bytes.size()));
    } else {
        Remove();
    }
}

void RegistryValue::Write(DWORD type, const BYTE* bytes, DWORD size) const {
    HKEY key = nullptr;
    if (RegCreateKeyExW(m_root, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, m_name.c_str(), 0, type, bytes, size);
    RegCloseKey(key);
}

void RegistryValue::SetString(const std::wstring& text) const {
    Write(REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void RegistryValue::SetNumber(DWORD number) const {
    Write(REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
}

void RegistryValue::Remove() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(m_root, m_key.c_str(), 0, KEY_SET_VALUE | kView, &key) != ERROR_SUCCESS) {
        return;
    }
    RegDeleteValueW(key, m_name.c_str());
    RegCloseKey(key);
}

}  // namespace quendal::testing
