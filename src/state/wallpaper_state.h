// WallpaperState: the one record of start and previous wallpaper, style values, background
// colour, folders, output path and flags that every part of the program reads and writes.
// A plain aggregate, fields in their fixed order; one instance lives from start-up to exit and
// is handed to whoever needs it, never reached as a global.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tapisto {

struct WallpaperState {
  static constexpr int kTranscodedImageCacheCapacity = 800;

  std::string OpenedFileName;
  std::string TempFolder;
  std::string CurrentWallpaper;
  std::string PreviousWallpaper;
  std::int32_t TileWallpaper = 0;
  std::int32_t WallpaperStyle = 0;
  std::int32_t OriginX = 0;
  std::int32_t OriginY = 0;
  std::int32_t LockWaitMs = 0;
  bool HasConvertedWallpaper = false;
  std::string BackgroundText;
  std::string BackgroundRed;
  std::string BackgroundGreen;
  std::string BackgroundBlue;
  std::string ComposedFile;
  std::string WallpaperFolder;
  bool SourceIsBmp = false;
  bool SourceIsJpeg = false;
  bool SourceIsGif = false;
  bool SourceIsPng = false;
  bool MouseButtonDown = false;
  std::array<std::uint8_t, kTranscodedImageCacheCapacity> TranscodedImageCache{};
  bool TranscodedMode = false;
  std::int32_t TranscodedImageCacheSize = 0;
  std::string ThemesFolder;
};

// The four source-kind flags are one group: always cleared together.
void ClearSourceKinds(WallpaperState& state) noexcept;

// The reset at the beginning of the main window's creation, in its fixed order.
void ResetForStartUp(WallpaperState& state) noexcept;

// Releases (empties) every text field at exit.
void ReleaseTexts(WallpaperState& state) noexcept;

}  // namespace tapisto
