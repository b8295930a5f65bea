// Decoded pictures kept while their files stay unchanged. Every offset step composes the same
// picture again; decoding it each time would cost more than the rest of the composition. A
// file counts as unchanged while its path and its identity (which file it is, its size and
// modification time) are the same; anything else is read afresh, and a file that fails to read
// is never kept.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/file_io.h"
#include "image/gif.h"
#include "image/raster.h"
#include "image/rgba_image.h"

namespace tapisto {

class PictureCache {
 public:
  // How many decoded pictures are kept at most (the chosen picture and the base of "addieren").
  static constexpr std::size_t kCapacity = 2;

  std::shared_ptr<const Raster> Bmp(const std::string& path);
  std::shared_ptr<const Raster> Jpeg(const std::string& path);
  std::shared_ptr<const GifPicture> Gif(const std::string& path);
  std::shared_ptr<const RgbaImage> Png(const std::string& path);

  // Reads that found their picture kept.
  int Hits() const noexcept { return hits_; }

 private:
  enum class Kind { Bmp, Jpeg, Gif, Png };
  struct Entry {
    Kind kind;
    std::string path;
    FileIdentity identity;
    std::shared_ptr<const void> picture;
  };

  template <class Picture, class Read>
  std::shared_ptr<const Picture> Get(Kind kind, const std::string& path, Read read);

  std::vector<Entry> entries_;  // most recently used last
  int hits_ = 0;
};

// Reads through `cache` when there is one, else straight from the file. Without a cache, a
// JPEG picture is read for one composition only, which shows no more than its top `rowsShown`
// rows: it is decoded no further (ReadJpegFileTop). A cache keeps the whole picture.
std::shared_ptr<const Raster> LoadBmp(PictureCache* cache, const std::string& path);
std::shared_ptr<const Raster> LoadJpeg(PictureCache* cache, const std::string& path,
                                       int rowsShown = INT_MAX);
std::shared_ptr<const GifPicture> LoadGif(PictureCache* cache, const std::string& path);
std::shared_ptr<const RgbaImage> LoadPng(PictureCache* cache, const std::string& path);

}  // namespace tapisto
