#include "database/fb_client.h"

#include "platform/errors.h"
#include "platform/stop_request.h"

#include <cstdlib>
#include <ibase.h>
#include <map>
#include <mutex>

#ifdef _WIN32
#include "platform/registry.h"
#include "platform/wide_text.h"

#include <string_view>
#include <vector>
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace database::fb {

namespace {

using MasterEntry = Firebird::IMaster* (*)();
constexpr const char* kEntryName = "fb_get_master_interface";

#ifdef _WIN32
constexpr const char* kDefaultLibrary = "fbclient.dll";

// A library by its full path, its own folder first for what it needs in turn (a
// Firebird installation keeps its runtime DLLs beside the client).
HMODULE loadFrom(const std::wstring& path)
{
    const bool hasFolder = path.find_first_of(L"\\/") != std::wstring::npos;
    return LoadLibraryExW(path.c_str(), nullptr, hasFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
}

// The folder of Firebird's default instance, as its installer records it.
std::wstring installationFolder()
{
    const auto key = platform::RegistryKey::openLocalMachineReadOnly(
        "SOFTWARE\\Firebird Project\\Firebird Server\\Instances");
    return key ? platform::widened(key->readString("DefaultInstance")) : std::wstring();
}

std::wstring programFolder()
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    const std::wstring path(buffer, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// The client as a Firebird installation places it: the installation's folder named
// in the registry, then the program's folder, then the folders of PATH; the file
// named by IMPORTARCOT_FBCLIENT last, for a client kept elsewhere.
void* loadLibrary(const std::string& file)
{
    std::vector<std::wstring> folders;
    if (const std::wstring installed = installationFolder(); !installed.empty())
        folders.push_back(installed + L"\\");
    folders.push_back(programFolder());
    if (const wchar_t* path = _wgetenv(L"PATH")) {
        std::wstring_view rest(path);
        while (!rest.empty()) {
            const auto end = rest.find(L';');
            if (const auto folder = rest.substr(0, end); !folder.empty())
                folders.push_back(std::wstring(folder) + L"\\");
            rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
        }
    }
    for (const auto& folder : folders) {
        const std::wstring candidate = folder + L"fbclient.dll";
        if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (HMODULE library = loadFrom(candidate))
            return reinterpret_cast<void*>(library);
    }
    if (file == kDefaultLibrary)
        return nullptr;
    return reinterpret_cast<void*>(loadFrom(platform::widened(file)));
}
void* findSymbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void unloadLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}
#else
constexpr const char* kDefaultLibrary = "libfbclient.so.2";

void* loadLibrary(const std::string& file)
{
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* findSymbol(void* library, const char* name)
{
    return dlsym(library, name);
}
void unloadLibrary(void* library)
{
    dlclose(library);
}
#endif

// The client library answers SIGINT and SIGTERM by shutting its connections down,
// so that the call in progress fails ("connection shutdown") and the quotation being
// written is cut off. While the program answers those signals itself (a run stops
// between two quotations), the library is told to refuse the shutdown they ask for.
extern "C" int refuseShutdownOnSignal(const int reason, const int, void*)
{
    return reason == fb_shutrsn_signal && platform::stopOnSignalsActive() ? 1 : 0;
}

void askShutdownConfirmation(void* library)
{
    using Register = ISC_STATUS (*)(ISC_STATUS*, FB_SHUTDOWN_CALLBACK, const int, void*);
    if (void* entry = findSymbol(library, "fb_shutdown_callback")) {
        ISC_STATUS_ARRAY status{};
        reinterpret_cast<Register>(entry)(status, refuseShutdownOnSignal, fb_shut_confirmation, nullptr);
    }
}

// Loaded libraries by file name. They are never unloaded: the client library starts
// threads and registers exit handlers of its own.
std::mutex loadedMutex;
std::map<std::string, Firebird::IMaster*> loaded;

} // namespace

std::string clientLibraryName()
{
#ifdef _WIN32
    // The wide environment, so that a path outside the system's code page survives.
    const wchar_t* chosen = _wgetenv(L"IMPORTARCOT_FBCLIENT");
    return chosen != nullptr && *chosen != L'\0' ? platform::narrowed(chosen) : std::string(kDefaultLibrary);
#else
    const char* chosen = std::getenv("IMPORTARCOT_FBCLIENT");
    return chosen != nullptr && *chosen != '\0' ? std::string(chosen) : std::string(kDefaultLibrary);
#endif
}

Firebird::IMaster* master()
{
    const std::string file = clientLibraryName();
    std::lock_guard lock(loadedMutex);
    if (const auto found = loaded.find(file); found != loaded.end())
        return found->second;

    void* library = loadLibrary(file);
    if (library == nullptr)
        throw platform::DatabaseError("Unable to Load " + file);
    void* entry = findSymbol(library, kEntryName);
    if (entry == nullptr) {
        unloadLibrary(library);
        throw platform::DatabaseError(std::string("Unable to Find Procedure ") + kEntryName);
    }
    Firebird::IMaster* result = reinterpret_cast<MasterEntry>(entry)();
    if (result == nullptr)
        throw platform::DatabaseError(std::string("Unable to Find Procedure ") + kEntryName);
    askShutdownConfirmation(library);
    loaded.emplace(file, result);
    return result;
}

} // namespace database::fb
