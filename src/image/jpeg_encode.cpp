// JPEG (ISO/IEC 10918-1, JFIF) encoding through the IJG libjpeg API as libjpeg-turbo provides
// it; the error plumbing is shared with the decoder (image/jpeg_errors.h).
//
// A big picture is encoded in horizontal strips, each a whole number of MCU rows, on as many
// threads as the machine has cores. Every strip is compressed as a picture of its own with the
// same settings, and the strips' entropy-coded data are joined with restart markers: a restart
// resets the DC predictions and pads to a byte boundary exactly as the start and the end of a
// separate picture do, so the joined file is byte for byte what libjpeg writes for the whole
// picture with that restart interval, and it decodes to the same pixels as a file without
// restarts. How a picture is cut depends on its size alone, never on the number of cores, so
// every machine writes the same bytes.
//
// Pixels go straight from the raster's rows (or a painter's strip buffer) to libjpeg:
// libjpeg-turbo's RGBX layout is the raster's Colour layout (R, G, B, pad in memory) on a
// little-endian machine.
#include "image/jpeg_encode.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "base/error.h"
#include "image/file_io.h"
#include "image/jpeg_errors.h"
#include "image/jpeg_plain_strip.h"

namespace tapisto {

using namespace jpeg_detail;

namespace {

// 4:2:0 sampling: an MCU covers 16 x 16 pixels.
constexpr int kMcuSize = 16;
// Pictures of fewer MCU rows are written in one piece, without restart markers.
constexpr int kMinStripMcuRows = 8;
constexpr int kMaxStrips = 8;
// The restart interval is a 16-bit count of MCUs.
constexpr int kMaxRestartInterval = 65535;

struct StripPlan {
  int rows = 0;    // picture rows per strip, a multiple of kMcuSize; the last may have fewer
  int strips = 1;  // 1: no restart markers
  unsigned restartInterval = 0;
};

StripPlan PlanStrips(int width, int height) {
  const int mcuRows = (height + kMcuSize - 1) / kMcuSize;
  const int mcusPerRow = (width + kMcuSize - 1) / kMcuSize;
  const int wanted = std::max(kMinStripMcuRows, (mcuRows + kMaxStrips - 1) / kMaxStrips);
  const int stripMcuRows = std::min(wanted, kMaxRestartInterval / mcusPerRow);
  StripPlan plan;
  plan.strips = (mcuRows + stripMcuRows - 1) / stripMcuRows;
  if (plan.strips < 2 || mcuRows < 2 * kMinStripMcuRows) return {height, 1, 0};
  plan.rows = stripMcuRows * kMcuSize;
  plan.restartInterval = static_cast<unsigned>(stripMcuRows * mcusPerRow);
  return plan;
}

// Where libjpeg writes one strip: a malloc'ed block sized for the strip's likely bytes from
// the start and grown with realloc, which moves nothing where the system remaps big blocks.
// (jpeg_mem_dest starts at 4 KiB and copies everything written so far at each doubling.)
struct StripDestination {
  jpeg_destination_mgr pub;  // first, so libjpeg's pointer to it is a pointer to the whole
  unsigned char* buffer = nullptr;
  std::size_t capacity = 0;
  std::size_t size = 0;  // the bytes written, once libjpeg is done
};

void InitDestination(j_compress_ptr cinfo) {
  auto& d = *reinterpret_cast<StripDestination*>(cinfo->dest);
  d.buffer = static_cast<unsigned char*>(std::malloc(d.capacity));
  if (d.buffer == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
  d.pub.next_output_byte = d.buffer;
  d.pub.free_in_buffer = d.capacity;
}

boolean GrowDestination(j_compress_ptr cinfo) {
  auto& d = *reinterpret_cast<StripDestination*>(cinfo->dest);
  // Called with the block full. On failure the old block stays valid and is freed as usual.
  void* grown = std::realloc(d.buffer, d.capacity * 2);
  if (grown == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 11);
  d.buffer = static_cast<unsigned char*>(grown);
  d.pub.next_output_byte = d.buffer + d.capacity;
  d.pub.free_in_buffer = d.capacity;
  d.capacity *= 2;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto& d = *reinterpret_cast<StripDestination*>(cinfo->dest);
  d.size = d.capacity - d.pub.free_in_buffer;
}

// Where the marker segments of a whole JPEG made by libjpeg lie.
struct StreamLayout {
  std::size_t frameHeight = 0;  // offset of the frame header's 16-bit height
  std::size_t scanData = 0;     // first byte after the scan header
  bool ok = false;              // both found, and the stream ends in EOI
};

StreamLayout LayoutOf(const unsigned char* data, std::size_t size) {
  StreamLayout layout;
  std::size_t pos = 2;  // after SOI
  while (pos + 4 <= size && data[pos] == 0xFF) {
    const unsigned marker = data[pos + 1];
    const std::size_t length = std::size_t{data[pos + 2]} << 8 | data[pos + 3];
    if (length < 2 || length > size - pos - 2) break;
    if (marker == 0xC0 && length >= 7) layout.frameHeight = pos + 5;
    if (marker == 0xDA) {
      layout.scanData = pos + 2 + length;
      break;
    }
    pos += 2 + length;
  }
  layout.ok = layout.frameHeight != 0 && layout.scanData != 0 && size >= layout.scanData + 2 &&
              data[size - 2] == 0xFF && data[size - 1] == 0xD9;
  return layout;
}

// One strip: rows [firstRow, firstRow + rowCount) of the raster compressed as a whole picture.
struct Strip {
  Strip() = default;
  Strip(const Strip&) = delete;
  Strip& operator=(const Strip&) = delete;
  ~Strip() { std::free(out.buffer); }

  // The strip's bytes: a whole picture of its rows, markers and all.
  const unsigned char* Data() const noexcept { return kept ? kept->data() : out.buffer; }
  std::size_t Size() const noexcept { return kept ? kept->size() : out.size; }

  int width = 0;
  const Raster* raster = nullptr;        // the painted picture, without a painter
  const BandPainter* painter = nullptr;  // or what paints it, band by band
  // Where the painter paints the rows handed to libjpeg next: kRowBatch rows, used again for
  // every batch (libjpeg takes its own copy of the rows it is given), so that what is painted
  // is still in the cache when it is compressed, and little memory is touched.
  Raster* buffer = nullptr;
  StripCache* keptStrips = nullptr;   // where known strips' bytes are kept, with a painter
  std::optional<StripContent> known;  // what all the strip shows, as the painter knows
  int firstRow = 0;
  int rowCount = 0;
  // The rows libjpeg compresses: all the strip's, or the first few of a plain strip, whose
  // bytes are then lengthened to the whole (image/jpeg_plain_strip.h).
  int compressedRows = 0;
  int quality = 100;
  unsigned restartInterval = 0;
  jpeg_compress_struct* cinfo = nullptr;
  StripDestination out;
  // The bytes of a known strip compressed before, or of a plain strip lengthened; if any.
  StripCache::Bytes kept;
  // One row of the plain colour, handed to libjpeg for every row of a plain strip: such a
  // strip is compressed without painting anything.
  std::vector<Colour> plainRow;
  bool ok = false;
  char failure[JMSG_LENGTH_MAX] = {};
  // What the painter threw; it is rethrown on the calling thread once every strip is done.
  std::exception_ptr paintFailure;
};

// Paints the strip's rows [first, first + count) (counted from its first row) into its buffer.
// Returns false when the painter threw; the exception is kept in the strip, and no exception
// ever reaches libjpeg's frames.
bool PaintStripRows(Strip& s, int first, int count) noexcept {
  if (s.painter == nullptr) return true;
  const int top = s.firstRow + first;
  try {
    s.painter->PaintRows(RowBand{top, top + count}, *s.buffer, top);
  } catch (...) {
    s.paintFailure = std::current_exception();
    return false;
  }
  return true;
}

void CreateCompressStep(void* p) noexcept {
  jpeg_create_compress(static_cast<Strip*>(p)->cinfo);
}

void CompressStep(void* p) noexcept {
  auto& s = *static_cast<Strip*>(p);
  jpeg_compress_struct& cinfo = *s.cinfo;
  cinfo.image_width = static_cast<JDIMENSION>(s.width);
  cinfo.image_height = static_cast<JDIMENSION>(s.compressedRows);
  // The pad byte of each pixel is ignored: the picture is written as 24-bit colour.
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_RGBX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, s.quality, TRUE);
  cinfo.restart_interval = s.restartInterval;
  // A byte per pixel holds a strip of any likely picture at quality 100 (photos take about
  // half); blocks this big are mapped afresh, and pages never written cost nothing.
  s.out.capacity = std::max<std::size_t>(
      16384, static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.compressedRows));
  s.out.pub.init_destination = InitDestination;
  s.out.pub.empty_output_buffer = GrowDestination;
  s.out.pub.term_destination = TermDestination;
  cinfo.dest = &s.out.pub;
  jpeg_start_compress(&cinfo, TRUE);
  JSAMPROW rows[kRowBatch];
  while (cinfo.next_scanline < cinfo.image_height) {
    const JDIMENSION first = cinfo.next_scanline;
    const JDIMENSION left = cinfo.image_height - first;
    const JDIMENSION count = left < kRowBatch ? left : JDIMENSION{kRowBatch};
    if (!s.plainRow.empty()) {
      // libjpeg reads input rows only; its API merely lacks the const.
      std::fill_n(rows, count, reinterpret_cast<JSAMPROW>(s.plainRow.data()));
      jpeg_write_scanlines(&cinfo, rows, count);
      continue;
    }
    // A strip whose painting failed is left unfinished: libjpeg's state is dropped unused.
    if (!PaintStripRows(s, static_cast<int>(first), static_cast<int>(count))) return;
    for (JDIMENSION i = 0; i < count; ++i) {
      const Colour* pixels = s.painter != nullptr
                                 ? s.buffer->Row(static_cast<int>(i))
                                 : s.raster->Row(s.firstRow + static_cast<int>(first + i));
      rows[i] = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(pixels));
    }
    jpeg_write_scanlines(&cinfo, rows, count);
  }
  jpeg_finish_compress(&cinfo);
}

// Compresses one strip; safe to run on any thread, and never throws.
void CompressStrip(Strip& strip) noexcept {
  ErrorManager err{};
  InstallErrorManager(err);
  jpeg_compress_struct cinfo{};
  cinfo.err = &err.pub;
  strip.cinfo = &cinfo;
  strip.ok = RunGuarded(err, CreateCompressStep, &strip) && RunGuarded(err, CompressStep, &strip) &&
             !strip.paintFailure;
  if (!strip.ok) std::snprintf(strip.failure, sizeof strip.failure, "%s", err.message);
  jpeg_destroy_compress(&cinfo);
  strip.cinfo = nullptr;
}

// Compresses one strip whose rows are painted, if they must be, into `buffer`: a raster of
// the calling thread's, sized for it the first time. Safe to run on any thread; never throws.
void PaintAndCompressStrip(Strip& strip, Raster& buffer) noexcept {
  if (strip.painter != nullptr && strip.plainRow.empty()) {
    try {
      if (buffer.Width() != strip.width) buffer.SetSizeUnpainted(strip.width, kRowBatch);
    } catch (...) {
      strip.paintFailure = std::current_exception();
      return;
    }
    strip.buffer = &buffer;
  }
  CompressStrip(strip);
  strip.buffer = nullptr;
}

// Lengthens the plain strip compressed to its first rows to the whole strip; compresses the
// whole strip after all when the short one's bytes are not as expected. Safe to run on any
// thread; never throws.
void LengthenPlainStrip(Strip& strip, Raster& buffer) noexcept {
  const StreamLayout layout = LayoutOf(strip.out.buffer, strip.out.size);
  try {
    if (layout.ok) {
      std::vector<std::uint8_t> whole =
          LengthenPlainJpeg({strip.out.buffer, strip.out.size}, layout.frameHeight, layout.scanData,
                            strip.width, strip.rowCount);
      if (!whole.empty()) {
        strip.kept = std::make_shared<const std::vector<std::uint8_t>>(std::move(whole));
        return;
      }
    }
  } catch (const std::bad_alloc&) {
    // No room for the whole strip's bytes: compressed whole, as if it were not plain.
  }
  std::free(strip.out.buffer);
  strip.out = StripDestination{};
  strip.compressedRows = strip.rowCount;
  PaintAndCompressStrip(strip, buffer);
}

// Compresses one strip, or takes the bytes kept for a known one; safe to run on any thread,
// and never throws.
void EncodeStrip(Strip& strip, Raster& buffer) noexcept {
  if (!strip.known) {
    PaintAndCompressStrip(strip, buffer);
    return;
  }
  StripCache& cache = *strip.keptStrips;
  const StripKey key{strip.width, strip.rowCount, strip.quality, strip.restartInterval,
                     *strip.known};
  strip.kept = cache.Find(key);
  if (strip.kept) {
    strip.ok = true;
    return;
  }
  if (strip.known->picture == nullptr) {
    try {
      strip.plainRow.assign(static_cast<std::size_t>(strip.width),
                            strip.known->colour & 0x00FFFFFFu);
      strip.compressedRows = PlainRowsToCompress(strip.width, strip.rowCount);
    } catch (const std::bad_alloc&) {
      // No room for the row: the strip's rows are painted instead.
    }
  }
  PaintAndCompressStrip(strip, buffer);
  if (strip.ok && strip.compressedRows < strip.rowCount) LengthenPlainStrip(strip, buffer);
  if (!strip.ok) return;
  try {
    cache.Keep(key, strip.kept ? strip.kept
                               : std::make_shared<const std::vector<std::uint8_t>>(
                                     strip.out.buffer, strip.out.buffer + strip.out.size));
  } catch (const std::bad_alloc&) {
    // Not kept: the strip is simply compressed again next time.
  }
}

// The order strips are taken in: first one plain strip of each kind (colour and height), then
// the other strips, then the other plain ones, which by then mostly find the bytes of their
// kind kept.
bool IsPlain(const Strip& s) {
  return s.known && s.known->picture == nullptr;
}

std::vector<std::size_t> WorkOrder(const std::vector<Strip>& strips) {
  std::vector<std::size_t> first;
  std::vector<std::size_t> busy;
  std::vector<std::size_t> repeated;
  for (std::size_t i = 0; i < strips.size(); ++i) {
    const Strip& s = strips[i];
    if (!IsPlain(s)) {
      busy.push_back(i);
      continue;
    }
    const bool seen = std::any_of(first.begin(), first.end(), [&](std::size_t j) {
      return strips[j].known->colour == s.known->colour && strips[j].rowCount == s.rowCount;
    });
    (seen ? repeated : first).push_back(i);
  }
  first.insert(first.end(), busy.begin(), busy.end());
  first.insert(first.end(), repeated.begin(), repeated.end());
  return first;
}

// Runs every strip, on up to one thread per core; the calling thread takes part.
void EncodeStrips(std::vector<Strip>& strips) {
  const std::vector<std::size_t> order = WorkOrder(strips);
  std::atomic<std::size_t> next{0};
  const auto work = [&]() noexcept {
    Raster buffer;  // this thread's strip buffer, used again for each strip it takes
    for (std::size_t i; (i = next.fetch_add(1)) < order.size();) {
      EncodeStrip(strips[order[i]], buffer);
    }
  };
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  try {
    for (std::size_t i = 1; i < std::min(cores, strips.size()); ++i) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // No further thread to be had: the threads already running do the rest.
  }
  work();
  for (std::thread& t : helpers) t.join();
}

// EncodeJpeg of `raster`, or of the picture that `painter` paints.
std::vector<std::uint8_t> Encode(int width, int height, const Raster* raster,
                                 const BandPainter* painter, int quality, StripCache* keptStrips) {
  if (width <= 0 || height <= 0) return {};
  // Out-of-range qualities are clamped, as libjpeg itself would: the value comes from a
  // setting, and the nearest valid quality is what such a setting means.
  quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);

  // Without a cache of the caller's, plain strips are still kept for this picture: most of a
  // canvas is often one colour. A picture strip can't come back within one picture.
  const bool picturesKept = keptStrips != nullptr;
  StripCache forThisPicture;
  if (keptStrips == nullptr) keptStrips = &forThisPicture;
  const StripPlan plan = PlanStrips(width, height);
  std::vector<Strip> strips(static_cast<std::size_t>(plan.strips));
  for (std::size_t i = 0; i < strips.size(); ++i) {
    Strip& s = strips[i];
    s.width = width;
    s.raster = raster;
    s.painter = painter;
    s.keptStrips = keptStrips;
    s.firstRow = static_cast<int>(i) * plan.rows;
    s.rowCount = std::min(plan.rows, height - s.firstRow);
    s.compressedRows = s.rowCount;
    s.quality = quality;
    s.restartInterval = plan.restartInterval;
    if (painter != nullptr) s.known = painter->ContentOf({s.firstRow, s.firstRow + s.rowCount});
    if (s.known && s.known->picture != nullptr && !picturesKept) s.known.reset();
  }
  if (strips.size() == 1) {
    Raster buffer;
    EncodeStrip(strips[0], buffer);
  } else {
    EncodeStrips(strips);
  }
  // The threads are done: a painter's failure leaves the encoder as it was thrown.
  for (const Strip& s : strips) {
    if (s.paintFailure) std::rethrow_exception(s.paintFailure);
  }
  for (const Strip& s : strips) {
    // libjpeg fails here only when memory runs out.
    if (!s.ok) throw ImageFormatError("JPEG: cannot encode the picture: " + std::string(s.failure));
  }
  if (strips.size() == 1) return {strips[0].Data(), strips[0].Data() + strips[0].Size()};

  // The first strip's headers (its frame height made the whole picture's), then each strip's
  // entropy-coded data, a restart marker RST0 ... RST7 (counting on modulo 8) between two.
  std::vector<StreamLayout> layouts(strips.size());
  const StreamLayout head = LayoutOf(strips[0].Data(), strips[0].Size());
  std::size_t total = head.scanData;
  for (std::size_t i = 0; i < strips.size(); ++i) {
    layouts[i] = i == 0 ? head : LayoutOf(strips[i].Data(), strips[i].Size());
    if (!layouts[i].ok) {
      throw ImageFormatError("JPEG: cannot encode the picture: a strip came out malformed");
    }
    total += strips[i].Size() - layouts[i].scanData;  // its data, then RSTn or EOI in place of EOI
  }
  std::vector<std::uint8_t> out;
  out.reserve(total);
  out.insert(out.end(), strips[0].Data(), strips[0].Data() + head.scanData);
  const auto rows = static_cast<unsigned>(height);
  out[head.frameHeight] = static_cast<std::uint8_t>(rows >> 8);
  out[head.frameHeight + 1] = static_cast<std::uint8_t>(rows & 0xFFu);
  for (std::size_t i = 0; i < strips.size(); ++i) {
    const unsigned char* data = strips[i].Data();
    out.insert(out.end(), data + layouts[i].scanData, data + strips[i].Size() - 2);
    out.push_back(0xFF);
    out.push_back(i + 1 < strips.size() ? static_cast<std::uint8_t>(0xD0 + i % 8) : 0xD9);
  }
  return out;
}
}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Raster& raster, int quality) {
  return Encode(raster.Width(), raster.Height(), &raster, nullptr, quality, nullptr);
}

std::vector<std::uint8_t> EncodeJpeg(const BandPainter& painter, int quality,
                                     StripCache* keptStrips) {
  return Encode(painter.Width(), painter.Height(), nullptr, &painter, quality, keptStrips);
}

void WriteJpegFile(const Raster& raster, int quality, const std::string& path) {
  WriteWholeFile(path, EncodeJpeg(raster, quality));
}

}  // namespace tapisto
