// Writing JPEG files through the IJG libjpeg API (libjpeg-turbo): the strip-parallel encoder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/raster.h"
#include "image/strip_cache.h"

namespace tapisto {

// Encodes `raster` as a colour, baseline JPEG at `quality` (1 to 100; a value outside is
// clamped), every other setting the library's default (4:2:0 sampling, the standard Huffman
// tables). A picture of 256 rows or more is encoded in strips of whole MCU rows on all cores
// and carries restart markers between them; the bytes depend on the raster alone, and they
// decode to exactly the pixels of the same picture written without restarts. The pad byte of
// each pixel is ignored. A raster with a zero dimension gives no bytes at all.
std::vector<std::uint8_t> EncodeJpeg(const Raster& raster, int quality);

// A picture that is painted band by band while it is encoded, never whole unless asked to.
// ContentOf and PaintRows are called from the threads that compress the picture.
class BandPainter {
 public:
  virtual ~BandPainter() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // What every pixel of `band` is, when the painter knows it without painting: one colour, or
  // the pixels of a picture that covers the whole band. Nothing when it does not know.
  virtual std::optional<StripContent> ContentOf(RowBand band) const = 0;
  // Paints the rows of `band` into `target`, whose row 0 is the picture's row `targetTop`.
  // What it throws leaves EncodeJpeg as it was thrown, once every thread is done.
  virtual void PaintRows(RowBand band, Raster& target, int targetTop) const = 0;
  // The whole picture, painted.
  virtual const Raster& Painted() = 0;
};

// EncodeJpeg of the picture that `painter` paints while it is encoded: each band of rows is
// painted just before it is compressed, on the thread that compresses it, into a strip buffer
// of that thread's, so painting runs on all cores, the encoder reads pixels that are still in
// the cache, and the whole picture is never painted. A strip whose content the painter knows
// (ContentOf) is compressed once and its bytes kept in `keptStrips` (or, without one, for this
// picture only), and used again whenever the same strip comes back: a canvas is mostly
// background or start wallpaper, and each offset step writes the same strips. A strip found
// kept is not painted, and a plain one never is: it is compressed from one row of its colour,
// and only its first MCU rows, whose bytes are then lengthened to the whole strip
// (image/jpeg_plain_strip.h).
// The bytes are those EncodeJpeg gives for the painted picture.
std::vector<std::uint8_t> EncodeJpeg(const BandPainter& painter, int quality,
                                     StripCache* keptStrips);

// Replaces `path` with EncodeJpeg(raster, quality); an empty raster writes an empty file.
void WriteJpegFile(const Raster& raster, int quality, const std::string& path);

}  // namespace tapisto
