// The registry backend against the real registry (under Wine, the private prefix's): a
// scratch key per test under HKCU\Software, written and read back with the raw API, read and
// written through the port.
#include "desktop/win32/win32_settings_store.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"

namespace tapisto::test {
namespace {

class Win32SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\Tapisto-Tests\\Key-" + std::to_string(std::random_device{}());
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Utf16FromUtf8(path_).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &raw_, nullptr),
              ERROR_SUCCESS);
    key_ = store_.OpenKey(path_);
    ASSERT_NE(key_, nullptr);
  }
  void TearDown() override {
    key_.reset();
    if (raw_ != nullptr) ::RegCloseKey(raw_);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Utf16FromUtf8(path_).c_str());
  }

  void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(::RegSetValueExW(raw_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  // The type and bytes stored under `name`, as the registry holds them.
  std::pair<DWORD, std::vector<std::uint8_t>> GetRaw(const std::wstring& name) {
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(::RegQueryValueExW(raw_, name.c_str(), nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    std::vector<std::uint8_t> data(size);
    EXPECT_EQ(::RegQueryValueExW(raw_, name.c_str(), nullptr, &type, data.data(), &size),
              ERROR_SUCCESS);
    return {type, data};
  }
  // The message of the SettingsError that `read` throws.
  template <typename Read>
  static std::string ErrorOf(Read read) {
    try {
      read();
    } catch (const SettingsError& e) {
      return Describe(e);
    }
    return "no SettingsError";
  }

  Win32SettingsStore store_;
  std::string path_;
  HKEY raw_ = nullptr;
  std::unique_ptr<SettingsKey> key_;
};

TEST_F(Win32SettingsStoreTest, StringsAreWrittenAsRegSzAndReadBackExactly) {
  const std::string texts[] = {
      "",
      "0",
      "C:\\Users\\Zoë\\Documents\\Meine Wallpapers\\MirrBlüte.jpg",
      "37 111 149",
      "€ 𝄞 漢字",  // a character outside the basic plane needs two UTF-16 units
      std::string(3000, 'x'),
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 40));
    key_->WriteString("Wallpaper", text);
    EXPECT_EQ(key_->ReadString("Wallpaper", "fallback"), text);
    const auto [type, data] = GetRaw(L"Wallpaper");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // UTF-16 with its terminating NUL, and the size the port reports is that size.
    const std::wstring wide = Utf16FromUtf8(text);
    ASSERT_EQ(data.size(), (wide.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(data.data()), wide.size() + 1),
              wide + L'\0');
    EXPECT_EQ(key_->ValueSize("Wallpaper"), static_cast<std::int64_t>(data.size()));
  }
}

TEST_F(Win32SettingsStoreTest, MissingValuesGiveTheFallbackNoSizeAndNoData) {
  EXPECT_EQ(key_->ReadString("TileWallpaper", "0"), "0");
  EXPECT_FALSE(key_->ValueExists("TileWallpaper"));
  EXPECT_EQ(key_->ValueSize("TileWallpaper"), -1);
  EXPECT_TRUE(key_->ReadBinary("TranscodedImageCache", 800).empty());
  key_->WriteString("TileWallpaper", "1");
  EXPECT_TRUE(key_->ValueExists("TileWallpaper"));
}

TEST_F(Win32SettingsStoreTest, StringsStoredWithoutNulOrWithExpansionAreReadAsStored) {
  const std::wstring bare = L"ohne Null";
  SetRaw(L"Bare", REG_SZ, bare.data(), static_cast<DWORD>(bare.size() * sizeof(wchar_t)));
  EXPECT_EQ(key_->ReadString("Bare", ""), "ohne Null");
  const std::wstring expandable = L"%USERPROFILE%\\x.bmp";
  SetRaw(L"Expand", REG_EXPAND_SZ, expandable.c_str(),
         static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t)));
  EXPECT_EQ(key_->ReadString("Expand", ""), "%USERPROFILE%\\x.bmp");
}

TEST_F(Win32SettingsStoreTest, ReadingANonStringAsStringFailsWithTheRegistryLayersText) {
  const DWORD dword = 1;
  SetRaw(L"WallpaperStyle", REG_DWORD, &dword, sizeof(dword));
  const std::uint8_t bytes[] = {1, 2, 3};
  SetRaw(L"TranscodedImageCache", REG_BINARY, bytes, sizeof(bytes));
  SetRaw(L"Leer", REG_NONE, nullptr, 0);
  EXPECT_EQ(ErrorOf([&] { key_->ReadString("WallpaperStyle", ""); }),
            "SettingsError : Ungültiger Datentyp für 'WallpaperStyle'");
  EXPECT_EQ(ErrorOf([&] { key_->ReadString("TranscodedImageCache", ""); }),
            "SettingsError : Ungültiger Datentyp für 'TranscodedImageCache'");
  EXPECT_EQ(ErrorOf([&] { key_->ReadString("Leer", ""); }),
            "SettingsError : Ungültiger Datentyp für 'Leer'");
  // They exist all the same, with their sizes.
  EXPECT_TRUE(key_->ValueExists("WallpaperStyle"));
  EXPECT_EQ(key_->ValueSize("WallpaperStyle"), 4);
  EXPECT_EQ(key_->ValueSize("Leer"), 0);
}

TEST_F(Win32SettingsStoreTest, BinaryReadsTakeBinaryAndUnclassifiedValuesThatFitTheBuffer) {
  std::vector<std::uint8_t> cache(800);
  for (std::size_t i = 0; i < cache.size(); ++i) cache[i] = static_cast<std::uint8_t>(i * 7);
  key_->WriteBinary("TranscodedImageCache", cache);
  EXPECT_EQ(GetRaw(L"TranscodedImageCache").first, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(key_->ValueSize("TranscodedImageCache"), 800);
  EXPECT_EQ(key_->ReadBinary("TranscodedImageCache", 800), cache);  // exactly the buffer
  EXPECT_EQ(key_->ReadBinary("TranscodedImageCache", 1000), cache);
  EXPECT_EQ(ErrorOf([&] { key_->ReadBinary("TranscodedImageCache", 799); }),
            "SettingsError : Ungültiger Datentyp für 'TranscodedImageCache'");

  const wchar_t multi[] = L"a\0b\0";  // REG_MULTI_SZ is of no kind the port knows
  SetRaw(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
  const std::vector<std::uint8_t> multiBytes(
      reinterpret_cast<const std::uint8_t*>(multi),
      reinterpret_cast<const std::uint8_t*>(multi) + sizeof(multi));
  EXPECT_EQ(key_->ReadBinary("Multi", 100), multiBytes);

  key_->WriteString("Wallpaper", "x");
  const DWORD dword = 0;
  SetRaw(L"WallpaperStyle", REG_DWORD, &dword, sizeof(dword));
  EXPECT_EQ(ErrorOf([&] { key_->ReadBinary("Wallpaper", 800); }),
            "SettingsError : Ungültiger Datentyp für 'Wallpaper'");
  EXPECT_EQ(ErrorOf([&] { key_->ReadBinary("WallpaperStyle", 800); }),
            "SettingsError : Ungültiger Datentyp für 'WallpaperStyle'");
}

TEST_F(Win32SettingsStoreTest, AMissingKeyOpensAsNullAndIsNotCreated) {
  const std::string missing = path_ + "\\Fehlt";
  EXPECT_EQ(store_.OpenKey(missing), nullptr);
  HKEY probe = nullptr;
  EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, Utf16FromUtf8(missing).c_str(), 0, KEY_READ, &probe),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(store_.OpenKey("Software\\Tapisto-Tests\\Fehlt\\Auch"), nullptr);
}

TEST_F(Win32SettingsStoreTest, TheDesktopKeyOfTheCurrentUserOpens) {
  const std::unique_ptr<SettingsKey> desktop = store_.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(desktop, nullptr);
  EXPECT_TRUE(desktop->ValueExists("Wallpaper"));
  EXPECT_NO_THROW(desktop->ReadString("Wallpaper", ""));
}

}  // namespace
}  // namespace tapisto::test
