// The window definitions of the main window and the log window: every control's kind,
// position and size in client pixels at 96 dots per inch, keyboard tab order, caption and
// hint. The models take their initial captions and hints from here; the views read the rest.
#pragma once

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/version.h"

namespace tapisto {

enum class ControlKind {
  Label,       // text label, takes no focus
  Edit,        // single-line edit box of fixed height
  Button,      // push button
  Picture,     // picture with a hand cursor
  SpinEdit,    // spin field: an integer with up and down arrows
  ComboBox,    // drop-down list, selection only (no typing)
  LinkLabel,   // centred text, soft bevel, blue underlined, hand cursor
  FileDialog,  // the file-open dialog: not visible in the window
  Memo         // multi-line text box with a vertical scroll bar, wrapping long lines
};

struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  int left;
  int top;
  int width;
  int height;
  int tabIndex;  // -1: takes no keyboard focus
  std::string_view caption;
  std::string_view hint;  // empty: no hint
};

// Both windows: single fixed-size border, system menu with close and minimize boxes, no
// maximize box, the button-face colour and the font below.
struct WindowDefinition {
  std::string_view caption;
  int clientWidth;
  int clientHeight;
  bool centredAtStart;  // false: the window system chooses the place
  bool visibleAtStart;
};

inline constexpr std::string_view kFontName = "Tahoma";
inline constexpr int kFontPixelHeight = 11;  // 8 point at 96 dots per inch

// The maker's web address: the link label shows the host name and opens the full address.
inline constexpr std::string_view kMakerHost = "tapisto.example";
inline constexpr std::string_view kMakerAddress = "https://tapisto.example";
inline constexpr std::string_view kDonationPage = "https://tapisto.example/spenden.html";

inline constexpr WindowDefinition kForm1Window{kVersionCaption, 394, 253, true, true};

inline constexpr std::string_view kSpinHint = "Pfeil anklicken oder den Wert manuel eingeben";

// In the order the main window declares its controls.
inline constexpr std::array<ControlLayout, 14> kForm1Layout{{
    {"Edit1", ControlKind::Edit, 5, 40, 325, 25, 0, "", ""},
    {"OpenDialog1", ControlKind::FileDialog, 0, 0, 0, 0, -1, "", ""},
    {"Button1", ControlKind::Button, 340, 40, 50, 25, 1, "...", "Datei auswählen"},
    {"Label1", ControlKind::Label, 5, 21, 144, 13, -1, "Desktop-Hintergrundbilddatei:", ""},
    {"SpinEdit1", ControlKind::SpinEdit, 170, 104, 60, 22, 2, "", kSpinHint},
    {"SpinEdit2", ControlKind::SpinEdit, 270, 104, 60, 22, 3, "", kSpinHint},
    {"Button3", ControlKind::Button, 254, 191, 100, 25, 6, "B&eenden", ""},
    {"Label2", ControlKind::Label, 170, 88, 64, 13, -1, "Horizontal - X", ""},
    {"Label3", ControlKind::Label, 270, 88, 51, 13, -1, "Vertikal - Y", ""},
    {"ComboBox1", ControlKind::ComboBox, 154, 150, 200, 21, 5, "",
     "Einige Funktionen sind erst ab Windows 10 wirksam"},
    {"Label4", ControlKind::Label, 154, 136, 18, 13, -1, "Stil:", ""},
    {"StaticText1", ControlKind::LinkLabel, 0, 233, 394, 22, 7, kMakerHost, kMakerAddress},
    {"Button2", ControlKind::Button, 92, 191, 100, 25, 4, "&Zurücksetzen", ""},
    // Its hint is set by the start-up.
    {"Image1", ControlKind::Picture, 10, 80, 100, 100, -1, "", ""},
}};

inline constexpr WindowDefinition kForm2Window{"Log", 482, 256, false, false};

inline constexpr std::array<ControlLayout, 2> kForm2Layout{{
    {"Memo1", ControlKind::Memo, 16, 8, 449, 201, 0, "", ""},
    {"Button1", ControlKind::Button, 192, 221, 75, 25, 1, "Schliessen", ""},
}};

// The row named `name` of `layout`. A name the layout does not hold is a programming error.
template <std::size_t N>
constexpr const ControlLayout& LayoutOf(const std::array<ControlLayout, N>& layout,
                                        std::string_view name) {
  for (const ControlLayout& row : layout) {
    if (row.name == name) return row;
  }
  throw std::out_of_range("no control named " + std::string(name));
}

// The rows of `layout` in the order the Tab key walks them: the rows that take the focus by
// their tab index, then the others in the definition's order.
template <std::size_t N>
std::vector<const ControlLayout*> InTabOrder(const std::array<ControlLayout, N>& layout) {
  std::vector<const ControlLayout*> rows;
  for (const ControlLayout& row : layout) rows.push_back(&row);
  std::stable_sort(rows.begin(), rows.end(), [](const ControlLayout* a, const ControlLayout* b) {
    return (a->tabIndex >= 0 && b->tabIndex < 0) ||
           (a->tabIndex >= 0 && b->tabIndex >= 0 && a->tabIndex < b->tabIndex);
  });
  return rows;
}

}  // namespace tapisto
