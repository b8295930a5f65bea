// Wrappers that record, in one list, every settings write and every wallpaper refresh, in the
// order they happen, and pass each on to the real store or refresh underneath.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/settings_store.h"
#include "ports/wallpaper_refresh.h"

namespace tapisto::test {

class RecordingSettings final : public SettingsStore {
 public:
  RecordingSettings(SettingsStore& inner, std::vector<std::string>& events)
      : inner_(inner), events_(events) {}

  std::unique_ptr<SettingsKey> OpenKey(const std::string& path) override {
    std::unique_ptr<SettingsKey> key = inner_.OpenKey(path);
    if (!key) return nullptr;
    return std::make_unique<Key>(std::move(key), events_);
  }

 private:
  class Key final : public SettingsKey {
   public:
    Key(std::unique_ptr<SettingsKey> inner, std::vector<std::string>& events)
        : inner_(std::move(inner)), events_(events) {}
    std::string ReadString(const std::string& name, const std::string& fallback) override {
      return inner_->ReadString(name, fallback);
    }
    bool ValueExists(const std::string& name) override { return inner_->ValueExists(name); }
    std::int64_t ValueSize(const std::string& name) override { return inner_->ValueSize(name); }
    std::vector<std::uint8_t> ReadBinary(const std::string& name, std::size_t size) override {
      return inner_->ReadBinary(name, size);
    }
    void WriteString(const std::string& name, const std::string& value) override {
      events_.push_back(name + "=" + value);
      inner_->WriteString(name, value);
    }
    void WriteBinary(const std::string& name, const std::vector<std::uint8_t>& data) override {
      events_.push_back(name + "=<" + std::to_string(data.size()) + " bytes>");
      inner_->WriteBinary(name, data);
    }

   private:
    std::unique_ptr<SettingsKey> inner_;
    std::vector<std::string>& events_;
  };

  SettingsStore& inner_;
  std::vector<std::string>& events_;
};

class RecordingRefresh final : public WallpaperRefresh {
 public:
  RecordingRefresh(WallpaperRefresh& inner, std::vector<std::string>& events)
      : inner_(inner), events_(events) {}
  void Refresh() override {
    events_.push_back("refresh");
    inner_.Refresh();
  }

 private:
  WallpaperRefresh& inner_;
  std::vector<std::string>& events_;
};

}  // namespace tapisto::test
