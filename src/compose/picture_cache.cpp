#include "compose/picture_cache.h"

#include "image/bmp.h"
#include "image/file_io.h"
#include "image/jpeg_decode.h"
#include "image/png.h"

namespace tapisto {

template <class Picture, class Read>
std::shared_ptr<const Picture> PictureCache::Get(Kind kind, const std::string& path, Read read) {
  const std::optional<FileIdentity> identity = IdentifyFile(path);
  for (auto it = entries_.begin(); identity && it != entries_.end(); ++it) {
    if (it->kind == kind && it->path == path && it->identity == *identity) {
      Entry entry = std::move(*it);
      entries_.erase(it);
      entries_.push_back(std::move(entry));
      ++hits_;
      return std::static_pointer_cast<const Picture>(entries_.back().picture);
    }
  }
  auto picture = std::make_shared<const Picture>(read(path));
  if (identity) {
    std::erase_if(entries_, [&](const Entry& e) { return e.kind == kind && e.path == path; });
    if (entries_.size() >= kCapacity) entries_.erase(entries_.begin());
    entries_.push_back({kind, path, *identity, picture});
  }
  return picture;
}

std::shared_ptr<const Raster> PictureCache::Bmp(const std::string& path) {
  return Get<Raster>(Kind::Bmp, path, [](const std::string& p) { return ReadBmpFile(p); });
}
std::shared_ptr<const Raster> PictureCache::Jpeg(const std::string& path) {
  return Get<Raster>(Kind::Jpeg, path, [](const std::string& p) { return ReadJpegFile(p); });
}
std::shared_ptr<const GifPicture> PictureCache::Gif(const std::string& path) {
  return Get<GifPicture>(Kind::Gif, path, [](const std::string& p) { return ReadGifFile(p); });
}
std::shared_ptr<const RgbaImage> PictureCache::Png(const std::string& path) {
  return Get<RgbaImage>(Kind::Png, path, [](const std::string& p) { return ReadPngFile(p); });
}

std::shared_ptr<const Raster> LoadBmp(PictureCache* cache, const std::string& path) {
  return cache != nullptr ? cache->Bmp(path) : std::make_shared<const Raster>(ReadBmpFile(path));
}
std::shared_ptr<const Raster> LoadJpeg(PictureCache* cache, const std::string& path,
                                       int rowsShown) {
  if (cache != nullptr) return cache->Jpeg(path);
  return std::make_shared<const Raster>(ReadJpegFileTop(path, rowsShown));
}
std::shared_ptr<const GifPicture> LoadGif(PictureCache* cache, const std::string& path) {
  return cache != nullptr ? cache->Gif(path)
                          : std::make_shared<const GifPicture>(ReadGifFile(path));
}
std::shared_ptr<const RgbaImage> LoadPng(PictureCache* cache, const std::string& path) {
  return cache != nullptr ? cache->Png(path) : std::make_shared<const RgbaImage>(ReadPngFile(path));
}

}  // namespace tapisto
