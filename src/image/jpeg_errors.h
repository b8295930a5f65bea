// The libjpeg error plumbing that the JPEG decoder and encoder share; internal to
// image/jpeg_decode.cpp and image/jpeg_encode.cpp.
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
// raised the moment libjpeg notices it. Other warnings leave a picture libjpeg has repaired as
// viewers do; they are accepted, and the last one is added to the message should a fatal error
// follow.
#pragma once

#include <bit>
#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared before it, jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

#include "image/colour.h"

namespace tapisto::jpeg_detail {

static_assert(std::endian::native == std::endian::little,
              "Raster pixels are handed to libjpeg as RGBX bytes, which needs a little-endian "
              "machine");
static_assert(sizeof(Colour) == 4);

// Rows handed to libjpeg per call.
inline constexpr int kRowBatch = 16;

inline constexpr char kDataEndsEarly[] = "JPEG data ends early";

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf jump;
  // The fatal error, formatted; valid once RunGuarded returned false.
  char message[JMSG_LENGTH_MAX];
  // The latest warning, formatted; empty while there was none.
  char lastWarning[JMSG_LENGTH_MAX];
};

inline ErrorManager& ManagerOf(j_common_ptr cinfo) noexcept {
  return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] inline void FailWith(j_common_ptr cinfo, const char* message) noexcept {
  ErrorManager& err = ManagerOf(cinfo);
  std::snprintf(err.message, sizeof err.message, "%s", message);
  std::longjmp(err.jump, 1);
}

[[noreturn]] inline void ErrorExit(j_common_ptr cinfo) noexcept {
  ErrorManager& err = ManagerOf(cinfo);
  (*cinfo->err->format_message)(cinfo, err.message);
  std::longjmp(err.jump, 1);
}

inline void EmitMessage(j_common_ptr cinfo, int level) noexcept {
  if (level >= 0) return;  // trace output
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) FailWith(cinfo, kDataEndsEarly);
  ErrorManager& err = ManagerOf(cinfo);
  (*cinfo->err->format_message)(cinfo, err.lastWarning);
  ++cinfo->err->num_warnings;
}

inline void OutputMessage(j_common_ptr) noexcept {}

inline void InstallErrorManager(ErrorManager& err) noexcept {
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
inline bool RunGuarded(ErrorManager& err, Step step, void* context) noexcept {
  if (setjmp(err.jump) != 0) return false;
  step(context);
  return true;
}

}  // namespace tapisto::jpeg_detail
