// A composition's whole world for tests: the state record, fake ports, the real files backend
// of the system on a scratch folder, and the last canvas each save wrote.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "compose/composition_context.h"
#include "desktop/native_files.h"
#include "image/file_io.h"
#include "image/raster.h"
#include "image/rgba_image.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tapisto::test {

class CanvasRecorder final : public CanvasObserver {
 public:
  void CanvasSaved(const Raster& canvas, const std::string& path) override {
    canvases.push_back(canvas);
    paths.push_back(path);
  }
  std::vector<Raster> canvases;
  std::vector<std::string> paths;
};

struct ComposeRig {
  static constexpr Colour kBackground = ComposeRgb(10, 20, 30);

  TempDir dir;
  WallpaperState state;
  FakeScreen screen{40, 30};
  FakeClock clock;
  ScriptedPump pump{clock};
  NativeFiles files;
  RecordingDialogs dialogs;
  RecordingControls controls;
  CanvasRecorder saved;
  CompositionContext ctx{state, screen, pump, clock, files, dialogs, controls, kNativePathFlavour,
                         &saved};

  ComposeRig() {
    state.BackgroundRed = "10";
    state.BackgroundGreen = "20";
    state.BackgroundBlue = "30";
    state.WallpaperFolder = dir.File("Meine Wallpapers");
    std::filesystem::create_directory(PathFromUtf8(state.WallpaperFolder));
  }

  // Writes `bytes` as the picture file `name` in the scratch folder; returns its path.
  std::string Picture(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
  std::string Output(const std::string& name) const {
    return JoinPath(state.WallpaperFolder, name);
  }
  const Raster& LastCanvas() const { return saved.canvases.back(); }
};

// One copy of a picture on an expected canvas.
struct Placement {
  const Raster* picture;
  int x;
  int y;
  bool mirrored = false;
};

// A w x h canvas in `background` with the placements copied on in order, clipped.
Raster ExpectedCanvas(int w, int h, Colour background, const std::vector<Placement>& placements);

// Where two rasters differ first, for readable failures ("" when equal).
std::string FirstDifference(const Raster& actual, const Raster& expected);

// `picture` composed over `background` (what a PNG with alpha becomes on the canvas).
Raster OverBackground(const RgbaImage& picture, Colour background);

}  // namespace tapisto::test
