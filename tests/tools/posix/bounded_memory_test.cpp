// Hostile pictures that claim to be huge: the companion's decode, run under an address-space
// limit far below what the claims would need, ends with a clear error and never crashes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "image/file_io.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

void Be32(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}
void Chunk(Bytes& out, const char* type, const Bytes& data) {
  Be32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Be32(out, static_cast<std::uint32_t>(
                crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// 16384 x 16384 RGBA at 16 bits (2 GiB of image data claimed) with a few bytes of it.
Bytes HugePng() {
  Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  Be32(ihdr, 16384);
  Be32(ihdr, 16384);
  ihdr.insert(ihdr.end(), {16, 6, 0, 0, 0});
  Chunk(out, "IHDR", ihdr);
  Bytes raw(4096, 0);
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(size);
  compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  packed.resize(size);
  Chunk(out, "IDAT", packed);
  Chunk(out, "IEND", {});
  return out;
}

// A 2x2 GIF whose image data goes on in sub-blocks of clear codes for 8 MB without an end.
Bytes EndlessGif() {
  Bytes out{'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  out.insert(out.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2});
  for (int block = 0; block < 8 * 4096; ++block) {
    out.push_back(255);
    out.insert(out.end(), 255, 0x44);  // 3-bit clear codes (4) over and over
  }
  return out;
}

// A GIF whose logical screen is 16384 x 16384 (2^28 pixels, the limit) with a 1 x 1 frame.
Bytes HugeScreenGif() {
  Bytes out{'G', 'I', 'F', '8', '9', 'a', 0, 0x40, 0, 0x40, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  out.insert(out.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B});
  return out;
}

struct Outcome {
  int exitCode;
  std::string err;
};

// Decodes `file` with the companion under an address-space limit of `megabytes`.
Outcome DecodeUnderLimit(const TempDir& dir, const std::string& file, int megabytes) {
  const std::string errFile = dir.File("err.txt");
  const std::string command = "prlimit --as=" + std::to_string(megabytes << 20) + " -- '" +
                              TAPISTO_TOOL_PATH + "' decode '" + file + "' '" +
                              dir.File("out.bmp") + "' >/dev/null 2>'" + errFile + "'";
  const int status = std::system(command.c_str());
  std::string err;
  if (FILE* f = std::fopen(errFile.c_str(), "rb")) {
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f))
      err.append(buffer.data(), n);
    std::fclose(f);
  }
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

TEST(BoundedMemory, HostilePicturesEndWithAClearErrorUnderATightLimit) {
  if (kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer reserves more address space";
  TempDir dir;
  struct Case {
    const char* name;
    Bytes bytes;
    const char* error;  // the start of the one line on stderr
  };
  const Case cases[] = {
      {"huge.png", HugePng(), "ImageFormatError : "},
      {"endless.gif", EndlessGif(), ""},  // bounded by its input: decodes to 2 x 2
      {"screen.gif", HugeScreenGif(), "OutOfMemoryError : "},
      {"rle.bmp",
       ReadWholeFile(
           std::string(TAPISTO_TEST_DATA) + "/crashers/bmp-rle4-tiny-file-huge-picture.bmp",
           1 << 20),
       "ImageFormatError : BMP: RLE data ends"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File(c.name);
    WriteBytes(path, c.bytes);
    const Outcome run = DecodeUnderLimit(dir, path, 192);
    SCOPED_TRACE(c.name);
    if (std::string(c.error).empty()) {
      EXPECT_EQ(run.exitCode, 0) << run.err;
    } else {
      EXPECT_EQ(run.exitCode, 1) << run.err;
      EXPECT_EQ(run.err.rfind(c.error, 0), 0u) << run.err;
    }
  }
}

}  // namespace
}  // namespace tapisto::test
