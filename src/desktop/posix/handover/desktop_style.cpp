#include "desktop/posix/handover/desktop_style.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>

#include "base/text.h"

namespace tapisto {

namespace {

constexpr StyleNames kGnomeOptions{"centered", "wallpaper", "stretched",
                                   "scaled",   "zoom",      "spanned"};

constexpr std::array<std::string_view, 4> kGnomeDesktops{"GNOME", "Unity", "Budgie", "Pantheon"};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

DesktopStyle DesktopStyleFromValues(std::string_view wallpaperStyle,
                                    std::string_view tileWallpaper) {
  const int tile = LenientToInt(tileWallpaper);
  if (const StyleRow* row = RowOfStoredValues(tile, LenientToInt(wallpaperStyle))) {
    return row->desktopStyle;
  }
  // Values of no row (style codes written by other programs, say) centre, or tile when
  // "TileWallpaper" is 1.
  return tile == 1 ? DesktopStyle::Tile : DesktopStyle::Centre;
}

StyleValues ValuesOfDesktopStyle(DesktopStyle style) {
  const StyleRow* row = RowOfDesktopStyle(style);
  return row != nullptr ? StyleValues{row->wallpaperStyle, row->tileWallpaper} : StyleValues{};
}

Colour ParseBackgroundColour(std::string_view text) {
  std::array<int, 3> parts{};
  std::size_t at = 0;
  for (int& part : parts) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    const char* first = text.data() + at;
    const char* last = text.data() + text.size();
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (end == first) return 0;
    // A number too large for an unsigned is still a number: it counts as 255.
    part = ec == std::errc::result_out_of_range ? 255 : static_cast<int>(std::min(value, 255u));
    at = static_cast<std::size_t>(end - text.data());
    if (at < text.size() && !IsBlank(text[at])) return 0;
  }
  while (at < text.size() && IsBlank(text[at])) ++at;
  if (at != text.size()) return 0;
  return ComposeRgb(parts[0], parts[1], parts[2]);
}

std::string FormatBackgroundColour(Colour colour) {
  return std::to_string(RedOf(colour)) + " " + std::to_string(GreenOf(colour)) + " " +
         std::to_string(BlueOf(colour));
}

DesktopPicture DesktopPictureFrom(const RequestedDesktop& request) {
  return {request.wallpaper, DesktopStyleFromValues(request.wallpaperStyle, request.tileWallpaper),
          ParseBackgroundColour(request.background)};
}

std::string AbsolutePicturePath(const std::string& file) {
  if (file.empty() || file.front() == '/') return file;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  return ec ? file : absolute.string();
}

std::string_view NameOfStyle(const StyleNames& names, DesktopStyle style) {
  return names[static_cast<std::size_t>(style)];
}

std::optional<DesktopStyle> StyleNamed(const StyleNames& names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<DesktopStyle>(i);
  }
  return std::nullopt;
}

std::string_view GnomePictureOptions(DesktopStyle style, bool hasPicture) {
  return hasPicture ? NameOfStyle(kGnomeOptions, style) : "none";
}

std::optional<DesktopStyle> DesktopStyleFromGnomeOptions(std::string_view options) {
  return StyleNamed(kGnomeOptions, options);
}

std::string GnomeColour(Colour colour) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "#";
  for (const std::uint8_t channel : {RedOf(colour), GreenOf(colour), BlueOf(colour)}) {
    text += kHex[channel >> 4];
    text += kHex[channel & 0x0F];
  }
  return text;
}

std::optional<Colour> ParseGnomeColour(std::string_view text) {
  if (text.empty() || text[0] != '#') return std::nullopt;
  const std::string_view digits = text.substr(1);
  if (digits.empty() || digits.size() % 3 != 0 || digits.size() > 12) return std::nullopt;
  const std::size_t width = digits.size() / 3;
  std::array<int, 3> channels{};
  for (std::size_t c = 0; c < 3; ++c) {
    int value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const int digit = HexDigit(digits[c * width + i]);
      if (digit < 0) return std::nullopt;
      // Only the two leading digits make the 8-bit channel; "#abc" means "#aabbcc".
      if (i < 2) value = value * 16 + digit;
    }
    channels[c] = width == 1 ? value * 17 : value;
  }
  return ComposeRgb(channels[0], channels[1], channels[2]);
}

RequestedDesktop DesktopValuesFromShown(const ShownDesktop& shown, RequestedDesktop fallback) {
  RequestedDesktop values = std::move(fallback);
  if (shown.picture) values.wallpaper = *shown.picture;
  if (shown.style) {
    const StyleValues numbers = ValuesOfDesktopStyle(*shown.style);
    values.wallpaperStyle = std::to_string(numbers.wallpaperStyle);
    values.tileWallpaper = std::to_string(numbers.tileWallpaper);
  }
  if (shown.background) values.background = FormatBackgroundColour(*shown.background);
  return values;
}

ShownDesktop ShownFromGnome(const GnomeBackground& gnome) {
  ShownDesktop shown;
  if (gnome.pictureOptions == "none") {
    shown.picture = "";
  } else {
    shown.picture = gnome.picturePath;
    shown.style = DesktopStyleFromGnomeOptions(gnome.pictureOptions);
  }
  shown.background = ParseGnomeColour(gnome.primaryColour);
  return shown;
}

RequestedDesktop DesktopValuesFromGnome(const GnomeBackground& gnome, RequestedDesktop fallback) {
  return DesktopValuesFromShown(ShownFromGnome(gnome), std::move(fallback));
}

bool CurrentDesktopNames(std::string_view currentDesktop, std::string_view desktop) {
  const std::string wanted = UpperAscii(desktop);
  while (!currentDesktop.empty()) {
    const std::size_t colon = currentDesktop.find(':');
    std::string entry = UpperAscii(currentDesktop.substr(0, colon));
    if (entry.starts_with("X-")) entry.erase(0, 2);
    if (entry == wanted) return true;
    if (colon == std::string_view::npos) break;
    currentDesktop.remove_prefix(colon + 1);
  }
  return false;
}

bool SessionUsesGnomeBackground(std::string_view currentDesktop, bool explicitBackend) {
  if (explicitBackend) return true;
  // Cinnamon and MATE keep their background in schemas of their own (rows of
  // gsettings_background.h).
  return std::any_of(kGnomeDesktops.begin(), kGnomeDesktops.end(), [&](std::string_view name) {
    return CurrentDesktopNames(currentDesktop, name);
  });
}

}  // namespace tapisto
