// JPEG (ISO/IEC 10918-1, JFIF) reading and writing through the IJG libjpeg API as libjpeg-turbo
// provides it.
//
// libjpeg reports fatal errors through a callback that must not return. Ours longjmps back into
// RunGuarded, the only function that calls setjmp; every libjpeg call happens inside a "step"
// run by it, and steps and RunGuarded hold only trivially destructible locals, so the jump
// skips no destructor. The failure becomes an ImageFormatError once RunGuarded has returned, so
// no C++ exception ever passes through libjpeg's frames.
//
// Data that ends early: when the input runs out, libjpeg warns and pads the rest with an end
// marker, so a cut file would decode into a picture whose lower part is grey. A wallpaper
// showing that is plainly wrong, so any premature end is an error ("JPEG data ends early"),
// raised the moment libjpeg notices it. This includes a file that lacks only its final end
// marker: libjpeg cannot tell that case from a progressive file cut between two scans. Other
// warnings (stray bytes between segments, a corrupt stretch of entropy-coded data) leave a
// picture libjpeg has repaired as viewers do; they are accepted, and the last one is added to
// the message should a fatal error follow.
//
// Pixels go straight between libjpeg and the raster's rows: libjpeg-turbo's RGBX layout is the
// raster's Colour layout (R, G, B, pad in memory) on a little-endian machine.
#include "image/jpeg.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <limits>

// jpeglib.h needs FILE and size_t declared before it, jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

#include "base/error.h"
#include "image/file_io.h"

namespace tapisto {

static_assert(std::endian::native == std::endian::little,
              "Raster pixels are handed to libjpeg as RGBX bytes, which needs a little-endian "
              "machine");
static_assert(sizeof(Colour) == 4);

namespace {

// A progressive file may repeat scans without end, each one costing a pass over the whole
// picture. Real files use about ten; this bounds the work a hostile file can ask for.
constexpr int kMaxScans = 500;

// Rows handed to libjpeg per call.
constexpr int kRowBatch = 16;

const char kDataEndsEarly[] = "JPEG data ends early";

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf jump;
  // The fatal error, formatted; valid once RunGuarded returned false.
  char message[JMSG_LENGTH_MAX];
  // The latest warning, formatted; empty while there was none.
  char lastWarning[JMSG_LENGTH_MAX];
};

ErrorManager& ManagerOf(j_common_ptr cinfo) noexcept {
  return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void FailWith(j_common_ptr cinfo, const char* message) noexcept {
  ErrorManager& err = ManagerOf(cinfo);
  std::snprintf(err.message, sizeof err.message, "%s", message);
  std::longjmp(err.jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) noexcept {
  ErrorManager& err = ManagerOf(cinfo);
  (*cinfo->err->format_message)(cinfo, err.message);
  std::longjmp(err.jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) noexcept {
  if (level >= 0) return;  // trace output
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) FailWith(cinfo, kDataEndsEarly);
  ErrorManager& err = ManagerOf(cinfo);
  (*cinfo->err->format_message)(cinfo, err.lastWarning);
  ++cinfo->err->num_warnings;
}

void OutputMessage(j_common_ptr) noexcept {}

void ProgressMonitor(j_common_ptr cinfo) noexcept {
  if (!cinfo->is_decompressor) return;
  const auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number <= kMaxScans) return;
  ErrorManager& err = ManagerOf(cinfo);
  std::snprintf(err.message, sizeof err.message, "the file has more than %d scans", kMaxScans);
  std::longjmp(err.jump, 1);
}

void InstallErrorManager(ErrorManager& err) noexcept {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.pub.output_message = OutputMessage;
  err.message[0] = '\0';
  err.lastWarning[0] = '\0';
}

// Runs step(context) with libjpeg's error exit aimed at this frame. Returns false when libjpeg
// gave up; err.message then says why.
using Step = void (*)(void* context) noexcept;
bool RunGuarded(ErrorManager& err, Step step, void* context) noexcept {
  if (setjmp(err.jump) != 0) return false;
  step(context);
  return true;
}

std::string FailureText(const ErrorManager& err) {
  const std::string message(err.message);
  if (message == kDataEndsEarly) return message;
  std::string text = "JPEG: " + message;
  if (err.lastWarning[0] != '\0')
    text += " (after the warning: " + std::string(err.lastWarning) + ")";
  return text;
}

// ---- decoding ----

struct DecodeContext {
  jpeg_decompress_struct* cinfo;
  const unsigned char* data;
  unsigned long size;
  Colour* pixels;  // the raster's first row; rows follow without padding
  bool stalled;    // libjpeg returned no row although rows were left
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

void ReadScanlinesStep(void* p) noexcept {
  auto& c = *static_cast<DecodeContext*>(p);
  jpeg_decompress_struct& cinfo = *c.cinfo;
  const std::size_t width = cinfo.output_width;
  JSAMPROW rows[kRowBatch];
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION first = cinfo.output_scanline;
    const JDIMENSION left = cinfo.output_height - first;
    const JDIMENSION wanted = left < kRowBatch ? left : JDIMENSION{kRowBatch};
    for (JDIMENSION i = 0; i < wanted; ++i) {
      rows[i] = reinterpret_cast<JSAMPROW>(c.pixels + (first + i) * width);
    }
    const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, wanted);
    if (got == 0) {
      c.stalled = true;
      return;
    }
    // libjpeg-turbo fills the pad byte with 0xFF; a raster keeps it 0.
    Colour* const begin = c.pixels + first * width;
    Colour* const end = begin + got * width;
    for (Colour* px = begin; px != end; ++px) *px &= 0x00FFFFFFu;
  }
  jpeg_finish_decompress(&cinfo);
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

// ---- encoding ----

struct EncodeContext {
  jpeg_compress_struct* cinfo;
  const Raster* raster;
  int quality;
  unsigned char* buffer;  // libjpeg's output buffer (malloc'ed), valid once CompressStep has run
  unsigned long size;
};

void CreateCompressStep(void* p) noexcept {
  jpeg_create_compress(static_cast<EncodeContext*>(p)->cinfo);
}

void CompressStep(void* p) noexcept {
  auto& c = *static_cast<EncodeContext*>(p);
  jpeg_compress_struct& cinfo = *c.cinfo;
  const Raster& raster = *c.raster;
  cinfo.image_width = static_cast<JDIMENSION>(raster.Width());
  cinfo.image_height = static_cast<JDIMENSION>(raster.Height());
  // The pad byte of each pixel is ignored: the picture is written as 24-bit colour.
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_RGBX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, c.quality, TRUE);
  jpeg_mem_dest(&cinfo, &c.buffer, &c.size);
  jpeg_start_compress(&cinfo, TRUE);
  JSAMPROW rows[kRowBatch];
  while (cinfo.next_scanline < cinfo.image_height) {
    const JDIMENSION first = cinfo.next_scanline;
    const JDIMENSION left = cinfo.image_height - first;
    const JDIMENSION count = left < kRowBatch ? left : JDIMENSION{kRowBatch};
    for (JDIMENSION i = 0; i < count; ++i) {
      // libjpeg reads input rows only; its API merely lacks the const.
      rows[i] = const_cast<JSAMPROW>(
          reinterpret_cast<const JSAMPLE*>(raster.Row(static_cast<int>(first + i))));
    }
    jpeg_write_scanlines(&cinfo, rows, count);
  }
  jpeg_finish_compress(&cinfo);
}

}  // namespace

Raster DecodeJpeg(std::span<const std::uint8_t> bytes, const ImageLimits& limits) {
  if (bytes.size() > std::numeric_limits<unsigned long>::max()) {
    throw ImageTooLargeError("JPEG: file of " + std::to_string(bytes.size()) +
                             " bytes is too large");
  }
  Decompressor d;
  jpeg_decompress_struct& cinfo = d.cinfo();
  DecodeContext context{&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()), nullptr,
                        false};
  d.Create();
  d.Run(ReadHeaderStep, &context);
  CheckColourSpace(cinfo);
  CheckHeader("JPEG", cinfo.image_width, cinfo.image_height, limits);

  cinfo.out_color_space = JCS_EXT_RGBX;
  Raster raster(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
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

std::vector<std::uint8_t> EncodeJpeg(const Raster& raster, int quality) {
  if (raster.Empty()) return {};
  // Out-of-range qualities are clamped, as libjpeg itself would: the value comes from a
  // setting, and the nearest valid quality is what such a setting means.
  quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);

  ErrorManager err{};
  InstallErrorManager(err);
  jpeg_compress_struct cinfo{};
  cinfo.err = &err.pub;
  EncodeContext context{&cinfo, &raster, quality, nullptr, 0};
  struct Destroy {
    jpeg_compress_struct* c;
    ~Destroy() { jpeg_destroy_compress(c); }
  } destroy{&cinfo};

  if (!RunGuarded(err, CreateCompressStep, &context) || !RunGuarded(err, CompressStep, &context)) {
    // libjpeg fails here only when memory runs out. The output buffer is then left alone: once
    // libjpeg has grown it, the pointer we hold is stale and freeing it would be wrong.
    throw ImageFormatError("JPEG: cannot encode the picture: " + std::string(err.message));
  }
  std::vector<std::uint8_t> out(context.buffer, context.buffer + context.size);
  std::free(context.buffer);
  return out;
}

Raster ReadJpegFile(const std::string& path, const ImageLimits& limits) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path, limits.maxInputBytes);
  return DecodeJpeg(bytes, limits);
}

void WriteJpegFile(const Raster& raster, int quality, const std::string& path) {
  WriteWholeFile(path, EncodeJpeg(raster, quality));
}

}  // namespace tapisto
