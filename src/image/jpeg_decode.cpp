// JPEG (ISO/IEC 10918-1, JFIF) decoding through the IJG libjpeg API as libjpeg-turbo provides
// it; the error plumbing is shared with the encoder (image/jpeg_errors.h).
//
// Data that ends early is an error, even when only the final end marker is missing: libjpeg
// cannot tell that case from a progressive file cut between two scans.
//
// Pixels go straight from libjpeg into the raster's rows: libjpeg-turbo's RGBX layout is the
// raster's Colour layout (R, G, B, pad in memory) on a little-endian machine.
#include "image/jpeg_decode.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "base/error.h"
#include "image/file_io.h"
#include "image/jpeg_errors.h"

namespace tapisto {

using namespace jpeg_detail;

namespace {

// A progressive file may repeat scans without end, each one costing a pass over the whole
// picture. Real files use about ten; this bounds the work a hostile file can ask for.
constexpr int kMaxScans = 500;

void ProgressMonitor(j_common_ptr cinfo) noexcept {
  if (!cinfo->is_decompressor) return;
  const auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number <= kMaxScans) return;
  ErrorManager& err = ManagerOf(cinfo);
  std::snprintf(err.message, sizeof err.message, "the file has more than %d scans", kMaxScans);
  std::longjmp(err.jump, 1);
}

std::string FailureText(const ErrorManager& err) {
  const std::string message(err.message);
  if (message == kDataEndsEarly) return message;
  std::string text = "JPEG: " + message;
  if (err.lastWarning[0] != '\0')
    text += " (after the warning: " + std::string(err.lastWarning) + ")";
  return text;
}

struct DecodeContext {
  jpeg_decompress_struct* cinfo;
  const unsigned char* data;
  unsigned long size;
  Colour* pixels;   // the raster's first row; rows follow without padding
  JDIMENSION rows;  // the rows wanted: the picture's height, or fewer
  bool stalled;     // libjpeg returned no row although rows were left
};

void CreateDecompressStep(void* cinfo) noexcept {
  jpeg_create_decompress(static_cast<jpeg_decompress_struct*>(cinfo));
}

void ReadHeaderStep(void* p) noexcept {
  auto& c = *static_cast<DecodeContext*>(p);
  jpeg_mem_src(c.cinfo, c.data, c.size);
  jpeg_read_header(c.cinfo, TRUE);
}

void StartDecompressStep(void* p) noexcept {
  jpeg_start_decompress(static_cast<DecodeContext*>(p)->cinfo);
}

// libjpeg-turbo fills the pad byte of each RGBX pixel with 0xFF; a raster keeps it 0. Where the
// compiler has vector types, four pixels are cleared at a time: pixel by pixel this pass took
// a tenth of the decoding of a big photo.
void ClearPadBytes(Colour* pixels, std::size_t n) noexcept {
  std::size_t i = 0;
#if defined(__GNUC__)
  using Quad = std::uint32_t __attribute__((vector_size(16)));
  static_assert(sizeof(Colour) == sizeof(std::uint32_t));
  constexpr Quad kColourBits = {0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu};
  for (; i + 4 <= n; i += 4) {
    Quad q;
    std::memcpy(&q, pixels + i, sizeof q);
    q &= kColourBits;
    std::memcpy(pixels + i, &q, sizeof q);
  }
#endif
  for (; i < n; ++i) pixels[i] &= 0x00FFFFFFu;
}

void ReadScanlinesStep(void* p) noexcept {
  auto& c = *static_cast<DecodeContext*>(p);
  jpeg_decompress_struct& cinfo = *c.cinfo;
  const std::size_t width = cinfo.output_width;
  JSAMPROW rows[kRowBatch];
  while (cinfo.output_scanline < c.rows) {
    const JDIMENSION first = cinfo.output_scanline;
    const JDIMENSION left = c.rows - first;
    const JDIMENSION wanted = left < kRowBatch ? left : JDIMENSION{kRowBatch};
    for (JDIMENSION i = 0; i < wanted; ++i) {
      rows[i] = reinterpret_cast<JSAMPROW>(c.pixels + (first + i) * width);
    }
    const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, wanted);
    if (got == 0) {
      c.stalled = true;
      return;
    }
    ClearPadBytes(c.pixels + first * width, got * width);
  }
  // Rows left unread are never looked at: the decompressor is dropped as it stands.
  if (c.rows == cinfo.output_height) jpeg_finish_decompress(&cinfo);
}

// Owns a decompressor and destroys it on every way out.
class Decompressor {
 public:
  Decompressor() {
    InstallErrorManager(err_);
    cinfo_.err = &err_.pub;
  }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct& cinfo() noexcept { return cinfo_; }

  // Runs one step; a libjpeg failure inside it becomes an ImageFormatError here.
  void Run(Step step, void* context) {
    if (!RunGuarded(err_, step, context)) throw ImageFormatError(FailureText(err_));
  }

  void Create() {
    Run(CreateDecompressStep, &cinfo_);
    progress_.progress_monitor = ProgressMonitor;
    cinfo_.progress = &progress_;
  }

 private:
  ErrorManager err_{};
  jpeg_decompress_struct cinfo_{};  // zeroed, so destroying it is safe before creation
  jpeg_progress_mgr progress_{};
};

void CheckColourSpace(const jpeg_decompress_struct& cinfo) {
  switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      return;
    case JCS_CMYK:
    case JCS_YCCK:
      throw ImageFormatError("JPEG: CMYK pictures are not supported");
    default:
      throw ImageFormatError("JPEG: unsupported colour space with " +
                             std::to_string(cinfo.num_components) + " components");
  }
}

// A file too short for the picture its header claims is refused before its pixels are
// allocated: a few hundred damaged bytes must not cost gigabytes and seconds. The bound: every
// 8 x 8 block of every component has a DC coefficient, coded in the first scan that reaches the
// component (in a progressive file too, whose first DC scan codes every block), and a Huffman
// code is at least one bit long. So the scan data of a Huffman-coded file holds at least one
// bit per block, and the file at least (blocks + 7) / 8 bytes. Arithmetic coding can spend less
// than a bit on a block and is not bounded here.
void CheckLeastSize(const jpeg_decompress_struct& cinfo, std::size_t fileBytes) {
  if (cinfo.arith_code) return;
  std::uint64_t blocks = 0;
  for (int i = 0; i < cinfo.num_components; ++i) {
    const jpeg_component_info& component = cinfo.comp_info[i];
    blocks += std::uint64_t{component.width_in_blocks} * component.height_in_blocks;
  }
  const std::uint64_t least = (blocks + 7) / 8;
  if (fileBytes < least) {
    throw ImageFormatError("JPEG: " + std::to_string(cinfo.image_width) + " x " +
                           std::to_string(cinfo.image_height) + " pixels take at least " +
                           std::to_string(least) + " bytes, the file has " +
                           std::to_string(fileBytes) + ": it is damaged");
  }
}

// Whether the data ends in the end marker (FF D9), which can't stand anywhere in coded data.
// Then the decoder never runs out of data, and stopping before the last row skips no error:
// damage inside complete data is only warned about, and such rows are filled in.
bool EndsInEndMarker(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9;
}

}  // namespace

Raster DecodeJpegTop(std::span<const std::uint8_t> bytes, int rowsWanted,
                     const ImageLimits& limits) {
  if (bytes.size() > std::numeric_limits<unsigned long>::max()) {
    throw ImageTooLargeError("JPEG: file of " + std::to_string(bytes.size()) +
                             " bytes is too large");
  }
  Decompressor d;
  jpeg_decompress_struct& cinfo = d.cinfo();
  DecodeContext context{&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()), nullptr,
                        0,      false};
  d.Create();
  d.Run(ReadHeaderStep, &context);
  CheckColourSpace(cinfo);
  CheckHeader("JPEG", cinfo.image_width, cinfo.image_height, limits);
  CheckLeastSize(cinfo, bytes.size());

  cinfo.out_color_space = JCS_EXT_RGBX;
  const auto height = static_cast<int>(cinfo.image_height);
  context.rows =
      static_cast<JDIMENSION>(EndsInEndMarker(bytes) ? std::clamp(rowsWanted, 1, height) : height);
  // Left unpainted: the decoder writes every row, or fails and the raster is dropped.
  Raster raster;
  raster.SetSizeUnpainted(static_cast<int>(cinfo.image_width), static_cast<int>(context.rows));
  raster.SetFormat(PixelFormat::Bit24);
  context.pixels = raster.Row(0);

  d.Run(StartDecompressStep, &context);
  if (cinfo.output_width != cinfo.image_width || cinfo.output_height != cinfo.image_height ||
      cinfo.output_components != 4) {
    throw ImageFormatError("JPEG: decoder output does not match the picture's size");
  }
  d.Run(ReadScanlinesStep, &context);
  if (context.stalled) throw ImageFormatError(kDataEndsEarly);
  return raster;
}

Raster DecodeJpeg(std::span<const std::uint8_t> bytes, const ImageLimits& limits) {
  return DecodeJpegTop(bytes, INT_MAX, limits);
}

Raster ReadJpegFile(const std::string& path, const ImageLimits& limits) {
  return ReadJpegFileTop(path, INT_MAX, limits);
}

Raster ReadJpegFileTop(const std::string& path, int rows, const ImageLimits& limits) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path, limits.maxInputBytes);
  return DecodeJpegTop(bytes, rows, limits);
}

}  // namespace tapisto
