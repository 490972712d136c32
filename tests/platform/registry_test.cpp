// On Linux: the registry stand-in read from files in the forms the registry editor
// writes: UTF-16LE with a byte-order mark (current editors), 8-bit text with or
// without a UTF-8 mark (older exports, files written by hand). On Windows: the real
// registry, in its two views.
#include "platform/registry.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifndef _WIN32

using testing_support::TempDir;

// The bytes of a UTF-16LE file with its byte-order mark.
std::string utf16leFile(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

struct EncodingCase {
    const char* name;
    std::string bytes;
    std::string directorio; // the string value, UTF-8 where the file says which code it is in
    std::string ruta;       // the expandable string value
};

// The expandable value "%D%\ñ" as the editor writes it, over two lines.
#define RUTA_HEX "hex(2):25,00,44,00,25,00,5c,00,\\\r\n  f1,00,00,00"

const EncodingCase kEncodingCases[] = {
    {"utf16le_with_mark",
     utf16leFile(u"Windows Registry Editor Version 5.00\r\n\r\n"
                 u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvan\\Merkalo2016]\r\n"
                 u"\"Directorio\"=\"C:\\\\Compañía\"\r\n"
                 u"\"Ruta\"=" RUTA_HEX "\r\n\r\n"),
     "C:\\Compañía", "%D%\\ñ"},
    {"utf16le_character_outside_the_first_plane",
     utf16leFile(u"Windows Registry Editor Version 5.00\r\n\r\n"
                 u"[HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016]\r\n"
                 u"\"Directorio\"=\"/srv/m\U0001D11E\"\r\n"),
     "/srv/m\U0001D11E", ""},
    // Written by hand: the mark right before the key.
    {"utf8_with_mark",
     "\xEF\xBB\xBF[HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016]\r\n"
     "\"Directorio\"=\"C:\\\\Compañía\"\r\n\"Ruta\"=" RUTA_HEX "\r\n",
     "C:\\Compañía", "%D%\\ñ"},
    // Without a mark the bytes are taken as they stand, whatever their code.
    {"eight_bit",
     "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016]\n"
     "\"Directorio\"=\"C:\\\\Compa\xF1\xED\x61\"\n",
     "C:\\Compa\xF1\xED\x61", ""},
};

#undef RUTA_HEX

void PrintTo(const EncodingCase& c, std::ostream* out)
{
    *out << c.name;
}

class RegistryEncodingTest : public ::testing::TestWithParam<EncodingCase> {
protected:
    TempDir dir_;
};

TEST_P(RegistryEncodingTest, ValuesReadFromTheFile)
{
    const testing_support::ScopedRegistry registry(dir_, GetParam().bytes);
    const auto key = platform::RegistryKey::openLocalMachineReadOnly("\\Software\\Orvan\\Merkalo2016");
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->readString("Directorio"), GetParam().directorio);
    EXPECT_EQ(key->readString("Ruta"), GetParam().ruta);
    const auto directorio = key->value("Directorio");
    ASSERT_TRUE(directorio.has_value());
    EXPECT_EQ(directorio->type, platform::RegistryValueType::String);
    // A key that the file does not hold stays missing, whatever the encoding.
    EXPECT_FALSE(platform::RegistryKey::openLocalMachineReadOnly("\\Software\\Orvan").has_value());
}

INSTANTIATE_TEST_SUITE_P(Encodings, RegistryEncodingTest, ::testing::ValuesIn(kEncodingCases),
                         [](const auto& info) { return std::string(info.param.name); });

#else

constexpr const wchar_t* kTestKey = L"Software\\ImportarcotTest\\Merkalo2016";
constexpr REGSAM kNativeView = 0;
constexpr REGSAM kView32 = KEY_WOW64_32KEY;

// Keys written into the machine's registry, in the view a 64-bit or a 32-bit suite
// would have written them, and removed again.
class WindowsRegistry : public ::testing::Test {
protected:
    void write(REGSAM view, const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void writeText(REGSAM view, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
    {
        write(view, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        for (const REGSAM view : {kNativeView, kView32}) {
            HKEY software = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &software) !=
                ERROR_SUCCESS)
                continue;
            RegDeleteTreeW(software, L"ImportarcotTest");
            RegCloseKey(software);
        }
    }
    static std::optional<platform::RegistryKey> open()
    {
        return platform::RegistryKey::openLocalMachineReadOnly("\\Software\\ImportarcotTest\\Merkalo2016");
    }
};

TEST_F(WindowsRegistry, NativeViewFirstThenThe32BitView)
{
    EXPECT_FALSE(open().has_value());

    writeText(kView32, L"Directorio", L"C:\\Merkalo32");
    auto key = open();
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->readString("Directorio"), "C:\\Merkalo32");

    writeText(kNativeView, L"Directorio", L"C:\\Merkalo64");
    key = open();
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->readString("Directorio"), "C:\\Merkalo64");
}

TEST_F(WindowsRegistry, ValuesOfEachType)
{
    writeText(kNativeView, L"Directorio", L"C:\\Compa\u00f1\u00eda\\\u6570\u636e");
    writeText(kNativeView, L"Ruta", L"%D%\\\u00f1", REG_EXPAND_SZ);
    const DWORD number = 16;
    write(kNativeView, L"Numero", REG_DWORD, &number, sizeof number);
    // Stored without its closing zero, as some programs write strings.
    const std::wstring bare = L"sin cero";
    write(kNativeView, L"Bare", REG_SZ, bare.data(), static_cast<DWORD>(bare.size() * sizeof(wchar_t)));

    const auto key = open();
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->readString("Directorio"), "C:\\Compañía\\数据");
    EXPECT_EQ(key->readString("Ruta"), "%D%\\ñ");
    EXPECT_EQ(key->value("Ruta")->type, platform::RegistryValueType::ExpandString);
    EXPECT_EQ(key->readString("Bare"), "sin cero");
    EXPECT_EQ(key->readString("Falta"), "");
    EXPECT_THROW(key->readString("Numero"), platform::RegistryError);
}

#endif

} // namespace
