#include "database/fb_client.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/errors.h"

#ifdef _WIN32
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

void* loadLibrary(const std::string& file)
{
    return reinterpret_cast<void*>(LoadLibraryA(file.c_str()));
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

// Loaded libraries by file name. They are never unloaded: the client library starts
// threads and registers exit handlers of its own.
std::mutex loadedMutex;
std::map<std::string, Firebird::IMaster*> loaded;

}  // namespace

std::string clientLibraryName()
{
    const char* chosen = std::getenv("IMPORTARCOT_FBCLIENT");
    return chosen != nullptr && *chosen != '\0' ? std::string(chosen) : std::string(kDefaultLibrary);
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
    loaded.emplace(file, result);
    return result;
}

}  // namespace database::fb
