#pragma once
// One registry value changed for the life of the guard: what was there before
// (or its absence) comes back when the guard goes, so that a failing test
// cannot leave the Wine prefix changed for the next one. Values of
// HKEY_LOCAL_MACHINE are those of the 64-bit view, which the program reads
// from either build.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quendal::testing {

class RegistryValue {
public:
    RegistryValue(HKEY root, std::wstring key, std::wstring name);
    ~RegistryValue();
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

    void SetString(const std::wstring& text) const;
    void SetNumber(DWORD number) const;
    void Remove() const;

private:
    struct Stored {
        DWORD type = 0;
        std::vector<BYTE> bytes;
    };
    void Write(DWORD type, const BYTE* bytes, DWORD size) const;

    HKEY m_root;
    std::wstring m_key;
    std::wstring m_name;
    std::optional<Stored> m_before;
};

}  // namespace quendal::testing
