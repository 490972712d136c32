// Where the client library is looked for on Windows: the Firebird installation named
// in the registry, the program's folder, PATH, then IMPORTARCOT_FBCLIENT. A real DLL
// without the client's entry point stands for fbclient.dll: finding it gives "Unable
// to Find Procedure", not finding anything gives "Unable to Load".
#include "database/fb_client.h"
#include "platform/errors.h"
#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

using testing_support::TempDir;

constexpr const char* kFound = "Unable to Find Procedure fb_get_master_interface";

std::string loadFailure()
{
    return testing_support::messageOf<platform::DatabaseError>([] { database::fb::master(); });
}

std::filesystem::path systemDll()
{
    wchar_t folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::filesystem::path(folder) / L"version.dll";
}

class ClientLibrarySearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedPath_ = _wgetenv(L"PATH");
        const wchar_t* client = _wgetenv(L"IMPORTARCOT_FBCLIENT");
        savedClient_ = client != nullptr ? client : L"";
        _wputenv_s(L"IMPORTARCOT_FBCLIENT", L"");
        removeInstallation();
    }
    void TearDown() override
    {
        _wputenv_s(L"PATH", savedPath_.c_str());
        // The real client, which the connection tests of the same program use.
        _wputenv_s(L"IMPORTARCOT_FBCLIENT", savedClient_.c_str());
        removeInstallation();
    }
    // A folder holding a DLL under the given name.
    std::filesystem::path folderWith(const wchar_t* name)
    {
        const auto folder = dir_.path() / std::to_wstring(++folders_);
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(systemDll(), folder / name);
        return folder;
    }
    void recordInstallation(const std::filesystem::path& folder)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                                  L"SOFTWARE\\Firebird Project\\Firebird Server\\Instances", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring value = folder.wstring();
        RegSetValueExW(key, L"DefaultInstance", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    static void removeInstallation() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Firebird Project"); }

    TempDir dir_;
    std::wstring savedPath_;
    std::wstring savedClient_;
    int folders_ = 0;
};

TEST_F(ClientLibrarySearch, NothingFoundNamesTheLibrary)
{
    EXPECT_EQ(loadFailure(), "Unable to Load fbclient.dll");
    _wputenv_s(L"IMPORTARCOT_FBCLIENT", L"C:\\nowhere\\fbclient.dll");
    EXPECT_EQ(loadFailure(), "Unable to Load C:\\nowhere\\fbclient.dll");
}

TEST_F(ClientLibrarySearch, FoundThroughTheInstallationsRegistryEntry)
{
    recordInstallation(folderWith(L"fbclient.dll"));
    EXPECT_EQ(loadFailure(), kFound);
}

TEST_F(ClientLibrarySearch, FoundOnThePath)
{
    _wputenv_s(L"PATH", (folderWith(L"fbclient.dll").wstring() + L";" + savedPath_).c_str());
    EXPECT_EQ(loadFailure(), kFound);
}

TEST_F(ClientLibrarySearch, NamedByTheEnvironmentAsTheLastResort)
{
    const auto file = folderWith(L"cliente ñ.dll") / L"cliente ñ.dll";
    _wputenv_s(L"IMPORTARCOT_FBCLIENT", file.c_str());
    EXPECT_EQ(loadFailure(), kFound);
}

} // namespace
