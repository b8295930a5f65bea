#include "state/wallpaper_state.h"

namespace tapisto {

void ClearSourceKinds(WallpaperState& state) noexcept {
  state.SourceIsBmp = false;
  state.SourceIsJpeg = false;
  state.SourceIsGif = false;
  state.SourceIsPng = false;
}

void ResetForStartUp(WallpaperState& state) noexcept {
  state.TranscodedMode = false;
  state.ThemesFolder.clear();
  state.TempFolder.clear();
  ClearSourceKinds(state);
  state.OriginX = 0;
  state.OriginY = 0;
  state.HasConvertedWallpaper = false;
  state.BackgroundText.clear();
  state.BackgroundRed.clear();
  state.BackgroundGreen.clear();
  state.BackgroundBlue.clear();
  state.ComposedFile.clear();
  state.CurrentWallpaper.clear();
  state.PreviousWallpaper.clear();
}

void ReleaseTexts(WallpaperState& state) noexcept {
  state.OpenedFileName.clear();
  state.TempFolder.clear();
  state.CurrentWallpaper.clear();
  state.PreviousWallpaper.clear();
  state.BackgroundText.clear();
  state.BackgroundRed.clear();
  state.BackgroundGreen.clear();
  state.BackgroundBlue.clear();
  state.ComposedFile.clear();
  state.WallpaperFolder.clear();
  state.ThemesFolder.clear();
}

}  // namespace tapisto
