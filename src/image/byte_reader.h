// A bounded reader over untrusted bytes with a sticky failure flag: a read past the end returns
// 0 and latches ok() == false, so a parser can read a whole header and check once. Lengths are
// compared as `n > size - offset`, never by forming a pointer past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tapisto {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) noexcept : bytes_(bytes) {}

  bool ok() const noexcept { return ok_; }
  std::size_t offset() const noexcept { return offset_; }
  std::size_t size() const noexcept { return bytes_.size(); }
  std::size_t remaining() const noexcept { return bytes_.size() - offset_; }

  std::uint8_t U8() noexcept {
    if (!Has(1)) return 0;
    return bytes_[offset_++];
  }
  std::uint16_t U16le() noexcept {
    if (!Has(2)) return 0;
    const auto v = static_cast<std::uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
    offset_ += 2;
    return v;
  }
  std::uint32_t U32le() noexcept {
    if (!Has(4)) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[offset_ + static_cast<std::size_t>(i)];
    offset_ += 4;
    return v;
  }
  std::uint16_t U16be() noexcept {
    if (!Has(2)) return 0;
    const auto v = static_cast<std::uint16_t>((bytes_[offset_] << 8) | bytes_[offset_ + 1]);
    offset_ += 2;
    return v;
  }
  std::uint32_t U32be() noexcept {
    if (!Has(4)) return 0;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | bytes_[offset_ + i];
    offset_ += 4;
    return v;
  }
  std::int32_t I32le() noexcept { return static_cast<std::int32_t>(U32le()); }

  // The next n bytes, or an empty span (and ok() false) when fewer remain.
  std::span<const std::uint8_t> Bytes(std::size_t n) noexcept {
    if (!Has(n)) return {};
    auto s = bytes_.subspan(offset_, n);
    offset_ += n;
    return s;
  }
  void Skip(std::size_t n) noexcept {
    if (Has(n)) offset_ += n;
  }

 private:
  bool Has(std::size_t n) noexcept {
    if (!ok_ || n > bytes_.size() - offset_) {
      ok_ = false;
      offset_ = bytes_.size();
      return false;
    }
    return true;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
  bool ok_ = true;
};

}  // namespace tapisto
