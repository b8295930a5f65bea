#include "desktop/posix/handover/xfce_desktop.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "desktop/posix/handover/session_bus.h"
#include "desktop/posix/handover/x11_screen.h"

namespace tapisto {

namespace {

constexpr const char* kService = "org.xfce.Xfconf";
constexpr const char* kObject = "/org/xfce/Xfconf";
constexpr const char* kInterface = "org.xfce.Xfconf";
constexpr const char* kChannel = "xfce4-desktop";
constexpr const char* kBackdrop = "/backdrop";

// xfdesktop's image-style numbers; 0 shows no picture, the colour alone.
struct XfceStyle {
  DesktopStyle style;
  int number;
};
constexpr std::array<XfceStyle, 6> kXfceStyles{{
    {DesktopStyle::Centre, 1},
    {DesktopStyle::Tile, 2},
    {DesktopStyle::Stretch, 3},
    {DesktopStyle::Fit, 4},
    {DesktopStyle::Fill, 5},
    {DesktopStyle::Span, 6},
}};
constexpr int kNoPicture = 0;
constexpr int kSolidColour = 0;  // color-style: one colour, no gradient

int XfceStyleNumber(DesktopStyle style) {
  for (const XfceStyle& row : kXfceStyles) {
    if (row.style == style) return row.number;
  }
  return 1;
}

std::optional<DesktopStyle> StyleOfXfceNumber(long long number) {
  for (const XfceStyle& row : kXfceStyles) {
    if (row.number == number) return row.style;
  }
  return std::nullopt;
}

// The channel's background properties by name.
using Properties = std::map<std::string, VariantPtr>;

Properties BackdropProperties(SessionBus& bus) {
  // Asked below "/": xfconfd refuses a base that names no property yet, which /backdrop is on
  // a desktop that never had its background set.
  const VariantPtr reply =
      bus.Call(kService, kObject, kInterface, "GetAllProperties",
               Gio().g_variant_new("(ss)", kChannel, "/"), VariantType("(a{sv})"));
  Properties properties;
  GVariantIter* iter = nullptr;
  Gio().g_variant_get(reply.get(), "(a{sv})", &iter);
  const char* name = nullptr;
  GVariant* value = nullptr;
  while (Gio().g_variant_iter_next(iter, "{&sv}", &name, &value)) {
    if (std::string_view(name).starts_with(kBackdrop)) {
      properties.emplace(name, VariantPtr(value));
    } else {
      Gio().g_variant_unref(value);
    }
  }
  Gio().g_variant_iter_free(iter);
  return properties;
}

// "/backdrop/screen0/monitorHDMI-1/workspace1/" for a property of such a group; "" for any
// other property (the settings of older versions, the desktop icons' own).
std::string GroupOf(std::string_view property) {
  static constexpr std::array<std::string_view, 3> kLevels{"screen", "monitor", "workspace"};
  const std::string prefix = std::string(kBackdrop) + "/";
  if (!property.starts_with(prefix)) return "";
  std::size_t at = prefix.size();
  for (const std::string_view level : kLevels) {
    const std::size_t slash = property.find('/', at);
    if (slash == std::string_view::npos || property.substr(at, level.size()) != level) return "";
    at = slash + 1;
  }
  // A group holds keys, so its name is followed by one.
  if (at == property.size()) return "";
  return std::string(property.substr(0, at));
}

std::vector<std::string> ExistingGroups(const Properties& properties) {
  std::set<std::string> groups;
  for (const auto& [name, value] : properties) {
    if (std::string group = GroupOf(name); !group.empty()) groups.insert(std::move(group));
  }
  return {groups.begin(), groups.end()};
}

std::vector<std::string> MonitorNames() {
  std::vector<std::string> names = ConnectedX11OutputNames();
  // Without a display to ask, the name xfdesktop gives a monitor that tells none.
  if (names.empty()) names.push_back("0");
  return names;
}

std::string WorkspaceZeroGroup(const std::string& monitor) {
  return std::string(kBackdrop) + "/screen0/monitor" + monitor + "/workspace0/";
}

std::string Utf8Checked(const std::string& text) {
  if (!Gio().g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    throw DesktopError("Der Pfad \"" + text + "\" ist kein UTF-8-Text");
  }
  return text;
}

void SetProperty(SessionBus& bus, const std::string& property, GVariant* value) {
  bus.Call(kService, kObject, kInterface, "SetProperty",
           Gio().g_variant_new("(ssv)", kChannel, property.c_str(), value), nullptr);
}

// rgba1: red, green, blue and opacity from 0 to 1, as an array of variants like every xfconf
// array.
GVariant* RgbaOf(Colour colour) {
  std::array<GVariant*, 4> channels{};
  const std::array<std::uint8_t, 3> rgb{RedOf(colour), GreenOf(colour), BlueOf(colour)};
  for (std::size_t i = 0; i < 3; ++i) {
    channels[i] = Gio().g_variant_new_variant(Gio().g_variant_new_double(rgb[i] / 255.0));
  }
  channels[3] = Gio().g_variant_new_variant(Gio().g_variant_new_double(1.0));
  return Gio().g_variant_new_array(G_VARIANT_TYPE_VARIANT, channels.data(), channels.size());
}

std::optional<Colour> ColourOfRgba(GVariant* value) {
  if (!Gio().g_variant_is_of_type(value, VariantType("av")) ||
      Gio().g_variant_n_children(value) < 3) {
    return std::nullopt;
  }
  std::array<int, 3> rgb{};
  for (std::size_t i = 0; i < 3; ++i) {
    const VariantPtr boxed(Gio().g_variant_get_child_value(value, i));
    const VariantPtr channel(Gio().g_variant_get_variant(boxed.get()));
    if (!Gio().g_variant_is_of_type(channel.get(), G_VARIANT_TYPE_DOUBLE)) return std::nullopt;
    const double level = std::clamp(Gio().g_variant_get_double(channel.get()), 0.0, 1.0);
    rgb[i] = static_cast<int>(std::lround(level * 255.0));
  }
  return ComposeRgb(rgb[0], rgb[1], rgb[2]);
}

std::optional<long long> IntegerOf(GVariant* value) {
  if (Gio().g_variant_is_of_type(value, G_VARIANT_TYPE_INT32))
    return Gio().g_variant_get_int32(value);
  if (Gio().g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32))
    return Gio().g_variant_get_uint32(value);
  return std::nullopt;
}

// The group ReadShown reads: workspace 0 of the first monitor shown that has one, else the
// first workspace 0 group on screen 0 by name; "" for none.
std::string ShownGroup(const std::vector<std::string>& groups) {
  auto has = [&](const std::string& group) {
    return std::find(groups.begin(), groups.end(), group) != groups.end();
  };
  for (const std::string& monitor : ConnectedX11OutputNames()) {
    if (has(WorkspaceZeroGroup(monitor))) return WorkspaceZeroGroup(monitor);
  }
  const std::string screen0 = std::string(kBackdrop) + "/screen0/";
  for (const std::string& group : groups) {
    if (group.starts_with(screen0) && group.ends_with("/workspace0/")) return group;
  }
  return "";
}

}  // namespace

void XfceHandOver::HandOver(const DesktopPicture& picture) {
  const std::string file = Utf8Checked(AbsolutePicturePath(picture.file));
  SessionBus bus;
  std::vector<std::string> groups = ExistingGroups(BackdropProperties(bus));
  if (groups.empty()) {
    for (const std::string& monitor : MonitorNames()) groups.push_back(WorkspaceZeroGroup(monitor));
  }
  const int style = file.empty() ? kNoPicture : XfceStyleNumber(picture.style);
  for (const std::string& group : groups) {
    // The picture first: the desktop redraws at each change, and the style then applies to it.
    // Without a picture last-image stays, as Xfce's own dialog leaves it.
    if (!file.empty())
      SetProperty(bus, group + "last-image", Gio().g_variant_new_string(file.c_str()));
    SetProperty(bus, group + "image-style", Gio().g_variant_new_int32(style));
    SetProperty(bus, group + "color-style", Gio().g_variant_new_int32(kSolidColour));
    SetProperty(bus, group + "rgba1", RgbaOf(picture.background));
  }
}

ShownDesktop XfceHandOver::ReadShown() {
  SessionBus bus;
  const Properties properties = BackdropProperties(bus);
  const std::string group = ShownGroup(ExistingGroups(properties));
  ShownDesktop shown;
  if (group.empty()) return shown;
  auto value = [&](const char* key) -> GVariant* {
    const auto found = properties.find(group + key);
    return found != properties.end() ? found->second.get() : nullptr;
  };
  std::optional<long long> style;
  if (GVariant* number = value("image-style")) style = IntegerOf(number);
  if (style == kNoPicture) {
    shown.picture = "";
  } else {
    if (style) shown.style = StyleOfXfceNumber(*style);
    GVariant* image = value("last-image");
    if (image != nullptr && Gio().g_variant_is_of_type(image, G_VARIANT_TYPE_STRING)) {
      shown.picture = Gio().g_variant_get_string(image, nullptr);
    }
  }
  if (GVariant* rgba = value("rgba1")) shown.background = ColourOfRgba(rgba);
  return shown;
}

}  // namespace tapisto
