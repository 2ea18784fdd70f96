// The platform services on hosts without the Windows registry (Linux here):
// the key store finds no key, the file test asks the file system, and the
// launcher starts the program with posix_spawn, never through a shell, and
// desktop entries with GLib's GDesktopAppInfo.

#include <dlfcn.h>
#include <gio/gdesktopappinfo.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <thread>
#include <type_traits>

#include "platform.h"

extern char** environ;

namespace quendal::platform {
namespace {

class NoKeyStore final : public KeyStore {
public:
    long OpenKey(RootKey, const std::string&, std::uint32_t, std::uint32_t,
                 KeyHandle& handle) override {
        handle = 0;
        return kFileNotFound;
    }
    QueryResult QueryValue(KeyHandle, const std::string&, char*, std::uint32_t) override {
        return {kFileNotFound, 0, 0};
    }
    void CloseKey(KeyHandle) override {}
};

class FileSystemProbe final : public FileProbe {
public:
    bool FileExists(const std::string& path) override {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error);
    }
};

// posix_spawn reports a failed exec (missing file, no execute permission, not
// a program) as its own result on glibc and musl, so a bad path fails here
// rather than in a child nobody watches.
// GIO, the part of GLib that reads desktop entries, loaded on the first use:
// Qt links GLib but not GIO, and linking it would load GIO and its own
// libraries (GObject, libmount, libselinux, ...) at every start for a button
// that is seldom pressed. It stays loaded, as GLib's types cannot unload.
class Gio {
public:
    static const Gio* Get() {
        static const Gio gio;
        return gio.m_library != nullptr ? &gio : nullptr;
    }

    decltype(&g_desktop_app_info_new) newAppInfo = nullptr;
    decltype(&g_app_info_launch) launch = nullptr;
    decltype(&g_object_unref) unref = nullptr;
    decltype(&g_error_free) freeError = nullptr;

private:
    Gio() {
        void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        // Found through GIO's own dependencies, GObject and GLib.
        const auto find = [library](auto& function, const char* name) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            return function != nullptr;
        };
        if (find(newAppInfo, "g_desktop_app_info_new") && find(launch, "g_app_info_launch") &&
            find(unref, "g_object_unref") && find(freeError, "g_error_free")) {
            m_library = library;
        }
    }

    void* m_library = nullptr;
};

class SpawnLauncher final : public ProgramLauncher {
public:
    bool LaunchDesktopEntry(const std::string& id) override {
        const Gio* gio = Gio::Get();
        if (gio == nullptr || id.empty()) return false;
        // Only an installed entry that is not hidden and whose TryExec
        // program exists; its Exec line is split into the program and its
        // arguments and started without a shell (or by D-Bus activation,
        // where the entry asks for it).
        GDesktopAppInfo* entry = gio->newAppInfo(id.c_str());
        if (entry == nullptr) return false;
        GError* error = nullptr;
        // The instance is its interface too (what G_APP_INFO checks and casts).
        const bool started =
            gio->launch(reinterpret_cast<GAppInfo*>(entry), nullptr, nullptr, &error) != FALSE;
        if (error != nullptr) gio->freeError(error);
        gio->unref(entry);
        return started;
    }

    bool Launch(const std::string& path) override {
        if (path.empty()) {
            return false;
        }
        posix_spawnattr_t attributes;
        if (posix_spawnattr_init(&attributes) != 0) {
            return false;
        }
        // The program starts with no signal blocked or ignored, whatever the
        // calculator itself has set up.
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::string argument0 = path;
        char* argv[] = {argument0.data(), nullptr};
        pid_t child = 0;
        const int error = posix_spawn(&child, path.c_str(), nullptr, &attributes, argv, environ);
        posix_spawnattr_destroy(&attributes);
        if (error != 0) {
            return false;
        }
        // Not waited for by the caller; a detached thread collects the exit
        // status so that the finished program leaves no zombie behind.
        try {
            std::thread([child] {
                int status = 0;
                while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
                }
            }).detach();
        } catch (const std::system_error&) {  // NOLINT(bugprone-empty-catch)
            // The program runs all the same; only its exit status stays unread.
        }
        return true;
    }
};

}  // namespace

Services& SystemServices() {
    static NoKeyStore keys;
    static FileSystemProbe files;
    static SpawnLauncher launcher;
    static Services services{keys, files, launcher};
    return services;
}

}  // namespace quendal::platform
