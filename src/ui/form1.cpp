#include "ui/form1.h"

#include "base/error.h"
#include "base/path.h"
#include "base/text.h"
#include "desktop/apply.h"
#include "desktop/folders.h"
#include "desktop/start_wallpaper.h"
#include "image/jpeg_decode.h"
#include "state/style_table.h"
#include "ui/donation_picture.h"
#include "ui/picture_size.h"
#include "ui/window_support.h"

namespace tapisto {

namespace {

constexpr std::string_view kLogSeparator =
    "----------------------------------------------------------------";

std::string NativeSeparator() {
  return std::string(1, SeparatorOf(kNativePathFlavour));
}

}  // namespace

TForm1::TForm1(const WindowPorts& ports, LogLines& log)
    : SpinEdit1(ports.timers),
      SpinEdit2(ports.timers),
      ports_(ports),
      log_(log),
      compose_{state_, ports.screen,       ports.pump, ports.clock, ports.files, ports.dialogs,
               *this,  kNativePathFlavour, nullptr,    &pictures_,  &keptStrips_},
      desktop_{compose_, ports.settings, ports.refresh, ports.shell, log, *this},
      focused_("Edit1") {
  BuildControls();
  BeimStart();
}

void TForm1::BuildControlTable() {
  const std::pair<std::string_view, ClickableControl*> clickables[] = {
      {"Button1", &Button1}, {"Label1", &Label1},           {"Button3", &Button3},
      {"Label2", &Label2},   {"Label3", &Label3},           {"Label4", &Label4},
      {"Button2", &Button2}, {"StaticText1", &StaticText1}, {"Image1", &Image1}};
  for (const ControlLayout& row : kForm1Layout) {
    Form1Control control{&row};
    if (row.name == "Edit1") control.edit = &Edit1;
    if (row.name == "SpinEdit1") control.spin = &SpinEdit1;
    if (row.name == "SpinEdit2") control.spin = &SpinEdit2;
    if (row.name == "ComboBox1") control.comboBox = &ComboBox1;
    for (const auto& [name, clickable] : clickables) {
      if (row.name == name) control.clickable = clickable;
    }
    if (control.edit != nullptr) control.model = control.edit;
    if (control.spin != nullptr) control.model = control.spin;
    if (control.comboBox != nullptr) control.model = control.comboBox;
    if (control.clickable != nullptr) control.model = control.clickable;
    if (control.edit != nullptr) control.clicks = control.edit;
    if (control.clickable != nullptr) control.clicks = control.clickable;
    controls_.push_back(control);
  }
}

const Form1Control* TForm1::ControlNamed(std::string_view name) const {
  for (const Form1Control& control : controls_) {
    if (control.row->name == name) return &control;
  }
  return nullptr;
}

void TForm1::BuildControls() {
  BuildControlTable();
  // The captions and hints the definition gives.
  for (const Form1Control& control : controls_) {
    if (control.model != nullptr) control.model->hint = std::string(control.row->hint);
    if (control.clickable != nullptr)
      control.clickable->caption = std::string(control.row->caption);
  }

  for (const StyleRow& row : kStyleTable) ComboBox1.items.emplace_back(row.text);
  OpenDialog1.filter = std::string(kOpenDialogFilter);
  // The picture is stored with the window as a JPEG file; the control shows its top part.
  const ControlLayout& image = LayoutOf(kForm1Layout, "Image1");
  Image1.picture = CutToControl(DecodeJpeg(DonationPictureJpeg()), image.width, image.height);

  Edit1.onClick = EventHandler(&TForm1::Edit1Click);
  Button1.onClick = EventHandler(&TForm1::ButtonOpen);
  Image1.onClick = EventHandler(&TForm1::Spenden);
  Button2.onClick = EventHandler(&TForm1::Center);
  Button3.onClick = EventHandler(&TForm1::ButtonBeenden);
  StaticText1.onClick = EventHandler(&TForm1::GetWeb);
}

Handler TForm1::EventHandler(void (TForm1::*method)()) {
  return [this, method] {
    try {
      (this->*method)();
    } catch (...) {
      ports_.dialogs.ShowErrorReport(CurrentErrorMessage());
    }
  };
}

void TForm1::SetFocusedControl(std::string_view name) {
  if (focused_ == name) return;
  focused_ = std::string(name);
  if (focusChanged) focusChanged();
}

bool TForm1::Guarded(std::string_view prefix, const std::function<void()>& steps) {
  try {
    steps();
    return true;
  } catch (...) {
    ports_.dialogs.ShowMessage(std::string(prefix) + DescribeCurrentException());
    return false;
  }
}

// Start-up.

void TForm1::BeimStart() {
  ResetForStartUp(state_);
  Guarded("GetWallpaperSystem ", [this] { ReadDesktopSettings(); });
  ports_.application.SetMessageHook([this](QueuedMessage message) { MyMouseMessage(message); });
  SetOffsetRanges(ports_.screen.Width(), ports_.screen.Height());
  Guarded("BeimStart\n\n", [this] { ShowStartWallpaper(); });
  ports_.application.SetHintHidePause(kHintHidePauseMs);
  Image1.hint = std::string(kDonationHint);
  Guarded("Fehler beim Erstellen des Verzeichnisses.\n\n", [this] { CreateWallpaperFolder(); });
}

void TForm1::ReadDesktopSettings() {
  state_.WallpaperFolder = GetSpecialFolder(ports_.shell, ShellFolder::Documents);
  GetWallpaperSystem(desktop_, state_.CurrentWallpaper, state_.TileWallpaper, state_.WallpaperStyle,
                     state_.OriginX, state_.OriginY);
}

void TForm1::ShowStartWallpaper() {
  if (ports_.files.FileExists(state_.CurrentWallpaper)) {
    state_.PreviousWallpaper = state_.CurrentWallpaper;
  }
  Edit1.SetText(state_.CurrentWallpaper);
  state_.CurrentWallpaper = UpperAscii(state_.CurrentWallpaper);
  if (state_.CurrentWallpaper.find("TRANSCODEDWALLPAPER") == std::string::npos) {
    ShowPlainWallpaper();
  } else {
    PrepareTranscodedMode();
  }
}

void TForm1::ShowPlainWallpaper() {
  const std::string path = Edit1.Text();
  // Otherwise the selection GetWallpaperSystem made stays.
  if (!NamesExistingFile(ports_.files, path)) return;
  ComboBox1.SetItemIndex(0);
  OpenDialog1.initialFolder = FolderPartOf(path);
  const PictureSize size = LoadPictureSize(path);
  SetOffsetRanges(size.width, size.height);
}

void TForm1::PrepareTranscodedMode() {
  state_.TranscodedMode = true;
  Edit1.SetText("");
  state_.ThemesFolder = GetUserAppDataPath(ports_.shell);
  state_.TempFolder = GetTempFolder(ports_.shell) + NativeSeparator();
  if (!state_.ThemesFolder.empty() && !state_.TempFolder.empty()) {
    state_.ThemesFolder =
        JoinPath(JoinPath(JoinPath(state_.ThemesFolder, "Microsoft"), "Windows"), "Themes") +
        NativeSeparator();
    BackupThemeFiles(desktop_);
  } else {
    ports_.dialogs.ShowMessage("Fehler beim Sichern der Slideshowdateien");
  }
}

void TForm1::CreateWallpaperFolder() {
  // Creating the folder reports nothing when it fails; only a raised error is shown.
  if (ports_.files.DirectoryExists(state_.WallpaperFolder)) {
    state_.WallpaperFolder = JoinPath(state_.WallpaperFolder, "Meine Wallpapers");
    if (!ports_.files.DirectoryExists(state_.WallpaperFolder)) {
      ports_.files.CreateDirectory(state_.WallpaperFolder);
    }
  } else {
    ports_.files.CreateDirectory(JoinPath(state_.WallpaperFolder, "Meine Wallpapers"));
  }
}

void TForm1::MyMouseMessage(QueuedMessage message) {
  if (message == QueuedMessage::LeftButtonDown) state_.MouseButtonDown = true;
  if (message == QueuedMessage::LeftButtonUp) state_.MouseButtonDown = false;
}

void TForm1::SetOffsetRanges(int w, int h) {
  const OffsetRanges ranges = OffsetRangesFor(w, h, ports_.screen.Width(), ports_.screen.Height());
  SpinEdit1.SetBounds(ranges.minX, ranges.maxX);
  SpinEdit2.SetBounds(ranges.minY, ranges.maxY);
}

// The change handlers.

bool TForm1::FileFieldUsable() {
  return NamesExistingFile(ports_.files, Edit1.Text());
}

void TForm1::ApplyFileField() {
  SetWallpaperSystem(desktop_, Edit1.Text());
}

void TForm1::ButtonOK() {
  Pump();
  Guarded("Prozedur ButtonOK\n\n", [this] {
    if (Edit1.Text().empty()) {
      ResetDesktopWallpaper(desktop_);
      return;
    }
    if (!FileFieldUsable()) return;
    Edit1.DetachChange();
    if (ComboBox1.ItemIndex() == -1) ComboBox1.SetItemIndex(0);
    ApplyFileField();
    Edit1.AttachChange(EventHandler(&TForm1::ButtonOK));
    if (log_.WindowExists()) AppendLogLine(log_, "Edit1.Text: " + Edit1.Text());
  });
}

void TForm1::ChangeSpinEdit() {
  Pump();
  // A held spin arrow steps without applying; the step of the release applies.
  if (state_.MouseButtonDown) return;
  Guarded("Prozedur ChangeSpinEdit\n\n", [this] {
    if (Edit1.Text().empty()) {
      ResetDesktopWallpaper(desktop_);
      return;
    }
    if (!FileFieldUsable() || SpinEdit1.Text().empty()) return;
    ApplyFileField();
    Pump();
  });
}

void TForm1::ChangeSpinEdit2() {
  Pump();
  if (state_.MouseButtonDown) return;
  Guarded("Prozedur ChangeSpinEdit2\n\n", [this] {
    if (Edit1.Text().empty()) {
      ResetDesktopWallpaper(desktop_);
      return;
    }
    if (!FileFieldUsable() || SpinEdit2.Text().empty()) return;
    ApplyFileField();
    Pump();
  });
}

void TForm1::ChangeComboBox() {
  Pump();
  Guarded("Prozedur ChangeComboBox\n\n", [this] {
    if (Edit1.Text().empty()) {
      ResetDesktopWallpaper(desktop_);
      return;
    }
    if (!FileFieldUsable()) return;
    ComboBox1.DetachChange();
    if (ComboBox1.ItemIndex() == -1) ComboBox1.SetItemIndex(0);
    Pump();
    ApplyFileField();
    Pump();
    ComboBox1.AttachChange(EventHandler(&TForm1::ChangeComboBox));
    if (log_.WindowExists()) AppendLogLine(log_, "Edit1.Text: " + Edit1.Text());
  });
}

// The click handlers.

void TForm1::ButtonOpen() {
  state_.OpenedFileName.clear();
  const auto chosen = ports_.dialogs.ChooseFile(OpenDialog1.filter, OpenDialog1.initialFolder);
  if (!chosen) return;
  state_.OpenedFileName = *chosen;
  // A new text runs ButtonOK now, which applies the file before this handler goes on.
  Edit1.SetText(state_.OpenedFileName);
  OpenDialog1.initialFolder = FolderPartOf(state_.OpenedFileName);
  SetFocusedControl("Button2");
  AppendLogLine(log_, "OpenDialog.FileName: " + state_.OpenedFileName);
  AppendLogLine(log_, std::string(kLogSeparator));
  Pump();
  Guarded("OpenDialog\n\n", [this] {
    const PictureSize size = LoadPictureSize(state_.OpenedFileName);
    if (ports_.files.FileExists(state_.OpenedFileName)) SetOffsetRanges(size.width, size.height);
  });
}

void TForm1::Center() {
  if (state_.MouseButtonDown) {
    Pump();
  } else {
    SpinEdit1.DetachChange();
    SpinEdit2.DetachChange();
    ComboBox1.DetachChange();
    state_.TileWallpaper = 0;
    state_.WallpaperStyle = 0;
    SpinEdit1.SetValue(0);
    SpinEdit2.SetValue(0);
    ComboBox1.SetItemIndex(0);
    AttachOffsetHandlers();
    ComboBox1.SetEnabled(true);
    ComboBox1.AttachChange(EventHandler(&TForm1::ChangeComboBox));
    // An empty or unusable file field applies nothing; the desktop is not reset.
    if (ports_.files.FileExists(Edit1.Text())) ApplyFileField();
  }
  Pump();
}

void TForm1::Edit1Click() {
  Edit1.SelectAll();
}

void TForm1::Spenden() {
  ports_.shell.Open(std::string(kDonationPage), "", "", ShowCommand::Show);
}

void TForm1::GetWeb() {
  OpenWithShell(ports_.shell, StaticText1.hint + "/index.html", "", "." + NativeSeparator(),
                ShowCommand::Show);
}

void TForm1::ButtonBeenden() {
  if (Edit1.Text().empty()) {
    if (state_.TranscodedMode) {
      SetOldWallpaper(desktop_, state_.PreviousWallpaper);
    } else {
      ResetDesktopWallpaper(desktop_);
    }
  }
  ports_.application.Terminate();
}

// The controls as applying and composing see them.

void TForm1::DetachOffsetHandlers() {
  SpinEdit1.DetachChange();
  SpinEdit2.DetachChange();
}

void TForm1::AttachOffsetHandlers() {
  SpinEdit1.AttachChange(EventHandler(&TForm1::ChangeSpinEdit));
  SpinEdit2.AttachChange(EventHandler(&TForm1::ChangeSpinEdit2));
}

void TForm1::SelectStyleSilently(const std::string& text) {
  for (std::size_t i = 0; i < ComboBox1.items.size(); ++i) {
    if (ComboBox1.items[i] == text) ComboBox1.SetItemIndex(static_cast<int>(i));
  }
}

}  // namespace tapisto
