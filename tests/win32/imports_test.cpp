// quendal.exe must start on Windows 7 SP1: every function it imports must be
// one that Windows 7 has. The allow-list (windows7-imports.txt) names each
// DLL!function that may be imported; a new import fails here until someone
// has checked that Windows 7 has it and added it to the list.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "utf16.h"

namespace quendal::win32 {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A PE file of the architecture this test was built for, read from its
// bytes: the processor it is for, its imports, its manifest.
class PeFile {
public:
    // The headers of this build's own kind: PE32+ for x64, PE32 for x86.
    using NtHeaders = IMAGE_NT_HEADERS;
    using Thunk = IMAGE_THUNK_DATA;

    explicit PeFile(std::vector<char> bytes) : m_bytes(std::move(bytes)) {
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        const auto* nt = At<NtHeaders>(static_cast<std::size_t>(dos->e_lfanew));
        if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE ||
            nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
            return;
        }
        m_nt = nt;
        m_sections = IMAGE_FIRST_SECTION(nt);
        m_sectionCount = nt->FileHeader.NumberOfSections;
    }

    // IMAGE_FILE_MACHINE_*; 0 when the file is not a PE file of this kind.
    WORD Machine() const { return m_nt != nullptr ? m_nt->FileHeader.Machine : 0; }
    // IMAGE_DLLCHARACTERISTICS_*: what the loader may and must do with it.
    WORD DllCharacteristics() const {
        return m_nt != nullptr ? m_nt->OptionalHeader.DllCharacteristics : 0;
    }

    // The imports as "dll!function" (the DLL in lower case), "dll!#ordinal"
    // for imports by number.
    std::vector<std::string> Imports() const {
        std::vector<std::string> imports;
        if (m_nt == nullptr) return imports;
        const IMAGE_DATA_DIRECTORY& directory =
            m_nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (DWORD entry = directory.VirtualAddress;; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* descriptor = AtRva<IMAGE_IMPORT_DESCRIPTOR>(entry);
            if (descriptor == nullptr || descriptor->Name == 0) break;
            const std::string dll = Lower(StringAt(descriptor->Name));
            DWORD thunk = descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk
                                                              : descriptor->FirstThunk;
            for (;; thunk += sizeof(Thunk)) {
                const auto* value = AtRva<Thunk>(thunk);
                if (value == nullptr || value->u1.AddressOfData == 0) break;
                if (IMAGE_SNAP_BY_ORDINAL(value->u1.Ordinal)) {
                    imports.push_back(dll + "!#" +
                                      std::to_string(IMAGE_ORDINAL(value->u1.Ordinal)));
                } else {
                    // Past the two-byte hint.
                    imports.push_back(dll + "!" +
                                      StringAt(static_cast<DWORD>(value->u1.AddressOfData) + 2));
                }
            }
        }
        return imports;
    }

private:
    template <typename T>
    const T* At(std::size_t offset) const {
        if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof(T)) return nullptr;
        return reinterpret_cast<const T*>(m_bytes.data() + offset);
    }
    std::size_t OffsetOf(DWORD rva) const {
        for (WORD i = 0; i < m_sectionCount; ++i) {
            const IMAGE_SECTION_HEADER& section = m_sections[i];
            if (rva >= section.VirtualAddress &&
                rva < section.VirtualAddress + section.SizeOfRawData) {
                return rva - section.VirtualAddress + section.PointerToRawData;
            }
        }
        return m_bytes.size();
    }
    template <typename T>
    const T* AtRva(DWORD rva) const {
        return At<T>(OffsetOf(rva));
    }
    std::string StringAt(DWORD rva) const {
        const std::size_t start = OffsetOf(rva);
        std::string text;
        for (std::size_t i = start; i < m_bytes.size() && m_bytes[i] != '\0'; ++i) {
            text.push_back(m_bytes[i]);
        }
        return text;
    }

    std::vector<char> m_bytes;
    const NtHeaders* m_nt = nullptr;
    const IMAGE_SECTION_HEADER* m_sections = nullptr;
    WORD m_sectionCount = 0;
};

std::vector<char> ReadFile(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

#ifdef _WIN64
constexpr char kArchitecture[] = "x64";
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr char kManifestArchitecture[] = "amd64";
#else
constexpr char kArchitecture[] = "x86";
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
constexpr char kManifestArchitecture[] = "x86";
#endif

// The list's entries for this build: those without a prefix, and those that
// start with "x64:" or "x86:" for that architecture only.
std::set<std::string> AllowList(const std::wstring& path) {
    std::set<std::string> allowed;
    std::ifstream file(path.c_str());
    std::string line;
    while (std::getline(file, line)) {
        line.erase(std::find(line.begin(), line.end(), '#'), line.end());
        line.erase(std::remove_if(line.begin(), line.end(),
                                  [](unsigned char c) { return std::isspace(c) != 0; }),
                   line.end());
        if (const std::size_t colon = line.find(':'); colon != std::string::npos) {
            if (line.substr(0, colon) != kArchitecture) continue;
            line.erase(0, colon + 1);
        }
        if (line.empty()) continue;
        const std::size_t bang = line.find('!');
        allowed.insert(Lower(line.substr(0, bang)) + line.substr(bang));
    }
    return allowed;
}

TEST(Windows7, EveryImportOfTheProgramIsOnTheAllowList) {
    const std::set<std::string> allowed = AllowList(L"" QUENDAL_TEST_IMPORTS);
    ASSERT_GT(allowed.size(), 50u) << "the allow-list was not found";
    const std::vector<std::string> imports = PeFile(ReadFile(L"" QUENDAL_TEST_PROGRAM)).Imports();
    ASSERT_GT(imports.size(), 20u) << "quendal.exe was not read as a program of this build's kind";
    std::vector<std::string> unknown;
    for (const std::string& import : imports) {
        if (allowed.count(import) == 0) unknown.push_back(import);
    }
    std::string list;
    for (const std::string& import : unknown) list += "\n  " + import;
    EXPECT_TRUE(unknown.empty()) << "imports not known to exist on Windows 7:" << list;
}

// Windows refuses to start a program whose manifest names another processor.
TEST(Windows7, TheProgramAndItsManifestAreOfThisBuildsArchitecture) {
    EXPECT_EQ(PeFile(ReadFile(L"" QUENDAL_TEST_PROGRAM)).Machine(), kMachine);
    const HMODULE image = LoadLibraryExW(L"" QUENDAL_TEST_PROGRAM, nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    const HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << "no manifest";
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
    const std::string manifest(bytes, SizeofResource(image, found));
    FreeLibrary(image);
    // The program's own identity comes first; its dependency on the common
    // controls says "*".
    const std::size_t identity = manifest.find("<assemblyIdentity");
    ASSERT_NE(identity, std::string::npos);
    const std::string own = manifest.substr(identity, manifest.find("/>", identity) - identity);
    EXPECT_NE(own.find(std::string("processorArchitecture=\"") + kManifestArchitecture + "\""),
              std::string::npos)
        << own;
    // Run as the user who starts it, outside UAC's virtualisation, which
    // would show a 32-bit program the user's VirtualStore as HKLM.
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
}

// What the loader is told in the header: the program's own Windows folder on
// a Remote Desktop host (not a per-user copy), and ASLR and DEP.
TEST(Windows7, TheHeaderAsksForTheSystemsWindowsFolderASLRAndDEP) {
    WORD wanted = IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE |
                  IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT;
#ifdef _WIN64
    wanted |= IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA;
#endif
    const WORD flags = PeFile(ReadFile(L"" QUENDAL_TEST_PROGRAM)).DllCharacteristics();
    EXPECT_EQ(flags & wanted, wanted) << std::hex << flags;
}

TEST(Windows7, TheProgramNeedsNoDllOfItsOwn) {
    const std::set<std::string> systemDlls = {"advapi32.dll", "comctl32.dll", "gdi32.dll",
                                              "kernel32.dll", "msvcrt.dll",   "user32.dll"};
    for (const std::string& import : PeFile(ReadFile(L"" QUENDAL_TEST_PROGRAM)).Imports()) {
        EXPECT_EQ(systemDlls.count(import.substr(0, import.find('!'))), 1u) << import;
    }
}

}  // namespace
}  // namespace quendal::win32
