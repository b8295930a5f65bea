#include "desktop/posix/handover/plasma_handover.h"

#include <charconv>

#include "desktop/posix/handover/file_uri.h"
#include "desktop/posix/handover/json_value.h"
#include "desktop/posix/handover/session_bus.h"

namespace tapisto {

namespace {

// Qt's Image.FillMode numbers, which the image wallpaper's FillMode holds.
int PlasmaFillMode(DesktopStyle style) {
  switch (style) {
    case DesktopStyle::Stretch:
      return 0;  // Image.Stretch
    case DesktopStyle::Fit:
      return 1;  // Image.PreserveAspectFit
    case DesktopStyle::Fill:
    case DesktopStyle::Span:
      return 2;  // Image.PreserveAspectCrop
    case DesktopStyle::Tile:
      return 3;  // Image.Tile
    case DesktopStyle::Centre:
      return 6;  // Image.Pad
  }
  return 2;
}

std::optional<DesktopStyle> StyleOfFillMode(std::string_view text) {
  int mode = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), mode);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  switch (mode) {
    case 0:
      return DesktopStyle::Stretch;
    case 1:
      return DesktopStyle::Fit;
    case 2:
      return DesktopStyle::Fill;
    case 3:
    case 4:  // Image.TileVertically
    case 5:  // Image.TileHorizontally
      return DesktopStyle::Tile;
    case 6:
      return DesktopStyle::Centre;
    default:
      return std::nullopt;
  }
}

// Plasma's colours: "#rrggbb", "#aarrggbb" (with alpha, as Qt names them) or KConfig's
// "r,g,b".
std::optional<Colour> ParsePlasmaColour(std::string_view text) {
  if (text.size() == 9 && text[0] == '#')
    return ParseGnomeColour("#" + std::string(text.substr(3)));
  if (text.starts_with("#")) return ParseGnomeColour(text);
  int channels[3] = {0, 0, 0};
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (at == end || *at != ',') return std::nullopt;
      ++at;
    }
    const auto [next, ec] = std::from_chars(at, end, channels[i]);
    if (ec != std::errc() || channels[i] < 0 || channels[i] > 255) return std::nullopt;
    at = next;
  }
  if (at != end && *at != ',') return std::nullopt;  // a fourth number is the alpha
  return ComposeRgb(channels[0], channels[1], channels[2]);
}

std::string Evaluate(const std::string& script) {
  SessionBus bus;
  const VariantPtr reply =
      bus.Call("org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell", "evaluateScript",
               Gio().g_variant_new("(s)", script.c_str()), VariantType("(s)"));
  const char* output = nullptr;
  Gio().g_variant_get(reply.get(), "(&s)", &output);
  return output != nullptr ? output : "";
}

}  // namespace

std::string JsStringLiteral(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string literal = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '\\':
        literal += "\\\\";
        break;
      case '"':
        literal += "\\\"";
        break;
      case '\'':
        literal += "\\'";
        break;
      case '\n':
        literal += "\\n";
        break;
      case '\r':
        literal += "\\r";
        break;
      case '\t':
        literal += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          literal += "\\x";
          literal += kHex[c >> 4];
          literal += kHex[c & 0x0F];
        } else if (c == 0xE2 && text.substr(i + 1, 1) == "\x80" &&
                   (text.substr(i + 2, 1) == "\xA8" || text.substr(i + 2, 1) == "\xA9")) {
          // U+2028 and U+2029 end a line inside a literal for older JavaScript engines.
          literal += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
          i += 2;
        } else {
          literal += static_cast<char>(c);
        }
        break;
    }
  }
  return literal + "\"";
}

std::string PlasmaWallpaperScript(const DesktopPicture& picture) {
  const std::string colour = JsStringLiteral(GnomeColour(picture.background));
  // The plugin is set before its group is written: the shell applies what is written in the
  // Wallpaper group to the wallpaper plugin that is set at the time.
  std::string body;
  if (picture.file.empty()) {
    body =
        "  d.wallpaperPlugin = \"org.kde.color\";\n"
        "  d.currentConfigGroup = [\"Wallpaper\", \"org.kde.color\", \"General\"];\n"
        "  d.writeConfig(\"Color\", " +
        colour + ");\n";
  } else {
    body =
        "  d.wallpaperPlugin = \"org.kde.image\";\n"
        "  d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
        "  d.writeConfig(\"Image\", " +
        JsStringLiteral(FileUri(picture.file)) +
        ");\n"
        "  d.writeConfig(\"FillMode\", " +
        std::to_string(PlasmaFillMode(picture.style)) +
        ");\n"
        "  d.writeConfig(\"Color\", " +
        colour + ");\n";
  }
  return "var all = desktops();\n"
         "for (var i = 0; i < all.length; i++) {\n"
         "  var d = all[i];\n" +
         body + "}\n";
}

std::string_view PlasmaReaderScript() {
  return "var all = desktops();\n"
         "var shown = {};\n"
         "if (all.length > 0) {\n"
         "  var d = all[0];\n"
         "  shown.plugin = String(d.wallpaperPlugin);\n"
         "  d.currentConfigGroup = [\"Wallpaper\", shown.plugin, \"General\"];\n"
         "  shown.image = String(d.readConfig(\"Image\", \"\"));\n"
         "  shown.fillMode = String(d.readConfig(\"FillMode\", 2));\n"
         "  shown.color = String(d.readConfig(\"Color\", \"#000000\"));\n"
         "}\n"
         "print(JSON.stringify(shown));\n";
}

ShownDesktop ShownFromPlasmaOutput(std::string_view output) {
  // The JSON object the reader prints, whatever else the shell's output holds around it.
  const std::size_t open = output.find('{');
  const std::size_t close = output.rfind('}');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  const std::optional<JsonValue> values = ParseJson(output.substr(open, close - open + 1));
  if (!values) return {};
  const std::string plugin = values->StringMember("plugin").value_or("");
  const std::string colour = values->StringMember("color").value_or("");
  ShownDesktop shown;
  if (plugin == "org.kde.color") {
    shown.picture = "";
    shown.background = ParsePlasmaColour(colour);
  } else if (plugin == "org.kde.image") {
    // The Image may be a file URL or, as older versions kept it, a plain path; anything else
    // (a wallpaper package's folder, a remote URL) is no file the program could show.
    const std::string image = values->StringMember("image").value_or("");
    if (const std::optional<std::string> path = PathOfFileUri(image)) {
      shown.picture = path;
    } else if (image.starts_with("/") && !image.ends_with("/")) {
      shown.picture = image;
    }
    if (shown.picture) shown.style = StyleOfFillMode(values->StringMember("fillMode").value_or(""));
    shown.background = ParsePlasmaColour(colour);
  }
  return shown;
}

void PlasmaHandOver::HandOver(const DesktopPicture& picture) {
  Evaluate(PlasmaWallpaperScript(picture));
}

ShownDesktop PlasmaHandOver::ReadShown() {
  return ShownFromPlasmaOutput(Evaluate(std::string(PlasmaReaderScript())));
}

}  // namespace tapisto
