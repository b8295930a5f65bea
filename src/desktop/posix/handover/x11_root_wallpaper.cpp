#include "desktop/posix/handover/x11_root_wallpaper.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "desktop/posix/handover/wallpaper_layout.h"
#include "desktop/posix/handover/wallpaper_picture.h"
#include "desktop/posix/handover/x11_display.h"

namespace tapisto {

namespace {

// Where an 8-bit channel goes in a pixel of a true-colour visual.
struct Channel {
  unsigned long mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(unsigned long m) : mask(m), shift(std::countr_zero(m)), bits(std::popcount(m)) {}

  unsigned long Place(std::uint8_t value) const {
    unsigned long v = value;
    v = bits >= 8 ? v << (bits - 8) : v >> (8 - bits);
    return (v << shift) & mask;
  }
};

// The visual's pixel values for a raster, in an image the server can take.
class PixelImage {
 public:
  PixelImage(Display* display, Visual* visual, int depth, const Raster& raster)
      : image_(x11::Xlib().XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                        nullptr, static_cast<unsigned>(raster.Width()),
                                        static_cast<unsigned>(raster.Height()), 32, 0)) {
    if (image_ == nullptr) throw DesktopError("Kein Bildspeicher für den X-Server");
    data_.resize(static_cast<std::size_t>(image_->bytes_per_line) *
                 static_cast<std::size_t>(raster.Height()));
    image_->data = data_.data();
    const Channel red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask);
    const bool direct =
        image_->bits_per_pixel == 32 &&
        (image_->byte_order == LSBFirst) == (std::endian::native == std::endian::little);
    for (int y = 0; y < raster.Height(); ++y) {
      const Colour* row = raster.Row(y);
      char* line = data_.data() + static_cast<std::ptrdiff_t>(y) * image_->bytes_per_line;
      for (int x = 0; x < raster.Width(); ++x) {
        const unsigned long pixel =
            red.Place(RedOf(row[x])) | green.Place(GreenOf(row[x])) | blue.Place(BlueOf(row[x]));
        if (direct) {
          const auto value = static_cast<std::uint32_t>(pixel);
          std::memcpy(line + 4 * static_cast<std::ptrdiff_t>(x), &value, 4);
        } else {
          XPutPixel(image_, x, y, pixel);
        }
      }
    }
  }
  ~PixelImage() {
    image_->data = nullptr;  // the buffer is data_'s; XDestroyImage would free it
    XDestroyImage(image_);
  }
  PixelImage(const PixelImage&) = delete;
  PixelImage& operator=(const PixelImage&) = delete;

  XImage* get() const noexcept { return image_; }

 private:
  XImage* image_;
  std::vector<char> data_;
};

// The pixmap a root window property names; nullopt when it is missing or of another type.
std::optional<Pixmap> PixmapProperty(Display* display, Window root, Atom property) {
  const x11::XlibFunctions& xlib = x11::Xlib();
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (xlib.XGetWindowProperty(display, root, property, 0, 1, False, XA_PIXMAP, &type, &format,
                              &count, &after, &data) != Success) {
    return std::nullopt;
  }
  std::optional<Pixmap> pixmap;
  if (data != nullptr && type == XA_PIXMAP && format == 32 && count == 1) {
    // Format 32 data comes as an array of long.
    unsigned long id = 0;
    std::memcpy(&id, data, sizeof id);
    pixmap = id;
  }
  if (data != nullptr) xlib.XFree(data);
  return pixmap;
}

void SetPixmapProperty(Display* display, Window root, Atom property, Pixmap pixmap) {
  const unsigned long id = pixmap;
  x11::Xlib().XChangeProperty(display, root, property, XA_PIXMAP, 32, PropModeReplace,
                              reinterpret_cast<const unsigned char*>(&id), 1);
}

std::string Size(const Raster& raster) {
  return std::to_string(raster.Width()) + " x " + std::to_string(raster.Height());
}

}  // namespace

bool ShowOnX11Root(const DesktopPicture& picture) {
  x11::DisplayPtr connection = x11::OpenDisplay();
  if (!connection) return false;
  Display* display = connection.get();
  const x11::XlibFunctions& xlib = x11::Xlib();
  const int screen = xlib.XDefaultScreen(display);
  const Window root = xlib.XDefaultRootWindow(display);
  Visual* visual = xlib.XDefaultVisual(display, screen);
  const int depth = xlib.XDefaultDepth(display, screen);
  if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
    throw DesktopError("Der X-Bildschirm hat keine Echtfarb-Darstellung (Farbtiefe " +
                       std::to_string(depth) + ")");
  }

  const std::optional<Raster> source = ReadDesktopPicture(picture.file, picture.background);
  const std::vector<Rect> monitors = x11::Monitors(display);
  const Raster desktop = RenderDesktop(source ? &*source : nullptr, picture.background,
                                       picture.style, xlib.XDisplayWidth(display, screen),
                                       xlib.XDisplayHeight(display, screen), monitors);

  x11::ErrorTrap trap;
  const Pixmap pixmap =
      xlib.XCreatePixmap(display, root, static_cast<unsigned>(desktop.Width()),
                         static_cast<unsigned>(desktop.Height()), static_cast<unsigned>(depth));
  {
    const PixelImage image(display, visual, depth, desktop);
    GC gc = xlib.XCreateGC(display, pixmap, 0, nullptr);
    xlib.XPutImage(display, pixmap, gc, image.get(), 0, 0, 0, 0,
                   static_cast<unsigned>(desktop.Width()), static_cast<unsigned>(desktop.Height()));
    xlib.XFreeGC(display, gc);
  }
  if (const int error = trap.Sync(display)) {
    xlib.XFreePixmap(display, pixmap);
    trap.Sync(display);
    throw DesktopError("Der X-Server hat das Hintergrundbild von " + Size(desktop) +
                       " Pixeln abgelehnt (X-Fehler " + std::to_string(error) + ")");
  }

  const Atom rootPixmapId = xlib.XInternAtom(display, "_XROOTPMAP_ID", False);
  const Atom setRootPixmapId = xlib.XInternAtom(display, "ESETROOT_PMAP_ID", False);
  const std::optional<Pixmap> oldRoot = PixmapProperty(display, root, rootPixmapId);
  const std::optional<Pixmap> oldSetRoot = PixmapProperty(display, root, setRootPixmapId);

  xlib.XSetWindowBackgroundPixmap(display, root, pixmap);
  xlib.XClearWindow(display, root);
  SetPixmapProperty(display, root, rootPixmapId, pixmap);
  SetPixmapProperty(display, root, setRootPixmapId, pixmap);
  // A pixmap named by both properties was left by a setter whose connection closed in the
  // RetainPermanent mode; ending that retained client frees it. The pixmap may be gone
  // already, which the server reports as an error that changes nothing.
  if (oldRoot && oldSetRoot && *oldRoot == *oldSetRoot && *oldRoot != pixmap) {
    xlib.XKillClient(display, *oldRoot);
  }
  trap.Sync(display);

  xlib.XSetCloseDownMode(display, RetainPermanent);
  if (const int error = trap.Sync(display)) {
    throw DesktopError("Der X-Server hat das Hintergrundbild nicht behalten (X-Fehler " +
                       std::to_string(error) + ")");
  }
  return true;
}

void X11RootHandOver::HandOver(const DesktopPicture& picture) {
  if (!ShowOnX11Root(picture)) throw DesktopError("Kein X-Display erreichbar");
}

}  // namespace tapisto
