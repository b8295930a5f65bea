// tapisto-tool compose: runs one of the program's own compositions as the program would, with
// the offsets and settings given on the command line. Desktop settings are never touched.
#include <functional>
#include <iostream>

#include "base/error.h"
#include "compose/run_composition.h"
#include "desktop/background_colour.h"
#include "desktop/native_files.h"
#include "state/style_table.h"
#include "tool_support.h"

namespace tapisto::tool {

namespace {

// The offset fields as given; resetting a non-zero X runs the composition once more, nested,
// as the X field's change handler does in the program.
class ToolControls final : public CompositionControls {
 public:
  int OffsetX() override { return x; }
  int OffsetY() override { return y; }
  void DetachOffsetHandlers() override { attached_ = false; }
  void AttachOffsetHandlers() override { attached_ = true; }
  void ResetOffsetXToZero() override {
    const bool changed = x != 0;
    x = 0;
    if (changed && attached_ && onXChanged) onXChanged();
  }
  void SelectFirstStyleSilently() override {}

  int x = 0;
  int y = 0;
  std::function<void()> onXChanged;

 private:
  bool attached_ = true;
};

// The composition that `style` names; a style that composes nothing is a usage error.
Composition CompositionOfStyle(const std::string& style) {
  const StyleRow* row = FindStyleRow(style);
  if (row == nullptr || !row->composition) {
    throw UsageError("no composing style '" + style + "'");
  }
  return *row->composition;
}

}  // namespace

int RunCompose(const std::vector<std::string>& args) {
  const Arguments a = Arguments::Parse(
      args,
      {"--style", "--screen", "--background", "--x", "--y", "--previous", "--answer", "--folder"},
      {"--converted"});
  if (a.plain.size() != 1) throw UsageError("compose takes one picture FILE");
  for (const char* required : {"--style", "--screen", "--background", "--folder"}) {
    if (!a.Has(required)) throw UsageError(std::string("compose needs ") + required);
  }
  const std::string answer = a.Get("--answer").value_or("nein");
  if (answer != "ja" && answer != "nein") throw UsageError("--answer is ja or nein");

  WallpaperState state;
  SplitBackgroundText(state, *a.Get("--background"));
  state.PreviousWallpaper = a.Get("--previous").value_or("");
  state.HasConvertedWallpaper = a.Has("--converted");
  state.WallpaperFolder = *a.Get("--folder");
  const auto [width, height] = ParseSize(*a.Get("--screen"));
  const Composition composition = CompositionOfStyle(*a.Get("--style"));

  FixedScreen screen(width, height);
  IdlePump pump;
  SteadyClock clock;
  NativeFiles files;
  ConsoleDialogs dialogs(answer == "ja");
  ToolControls controls;
  controls.x = ParseInt(a.Get("--x").value_or("0"), "--x");
  controls.y = ParseInt(a.Get("--y").value_or("0"), "--y");
  CompositionContext ctx{state, screen, pump, clock, files, dialogs, controls};
  SavedFiles saved;
  ctx.canvasObserver = &saved;
  const std::string& file = a.plain[0];
  // What the program's apply does with an error that a composition lets through.
  auto run = [&] {
    try {
      RunComposition(composition, ctx, file);
    } catch (...) {
      dialogs.ShowMessage("ComboBox-Auswahl\n\n" + DescribeCurrentException());
    }
  };
  controls.onXChanged = run;
  run();
  PrintWrittenFile(saved, state.ComposedFile);
  return dialogs.ErrorShown() ? 1 : 0;
}

}  // namespace tapisto::tool
