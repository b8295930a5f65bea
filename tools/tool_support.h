// Shared pieces of tapisto-tool's commands: argument parsing and the console stand-ins for
// the window's ports (message boxes go to stderr, the pump only sleeps).
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "compose/composition_context.h"
#include "ports/clock.h"
#include "ports/dialogs.h"
#include "ports/message_pump.h"
#include "ports/screen.h"

namespace tapisto::tool {

// A wrong command line; main() prints it with the usage and exits 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "--name value" options and plain arguments, in order.
struct Arguments {
  std::map<std::string, std::string> options;
  std::vector<std::string> plain;

  // `valued` lists the options that take a value, `flags` those that do not.
  static Arguments Parse(const std::vector<std::string>& args,
                         const std::vector<std::string>& valued,
                         const std::vector<std::string>& flags);
  std::optional<std::string> Get(const std::string& name) const;
  bool Has(const std::string& name) const { return options.count(name) != 0; }
};

int ParseInt(const std::string& text, const char* what);
// "WxH" with both at least 1.
std::pair<int, int> ParseSize(const std::string& text);

// Message boxes on stderr. A message shown while an error is being handled reports that error
// (the program catches, shows and goes on): the tool's exit status tells it afterwards.
class ConsoleDialogs final : public Dialogs {
 public:
  explicit ConsoleDialogs(bool answer) : answer_(answer) {}
  void ShowMessage(const std::string& text) override { Show(text); }
  bool Confirm(const std::string& text) override {
    std::cerr << text << "\n\n";
    return answer_;
  }
  void ShowErrorReport(const std::string& text) override { Show(text); }
  std::optional<std::string> ChooseFile(const std::string&, const std::string&) override {
    return std::nullopt;  // no window: every choice is cancelled
  }
  bool ErrorShown() const noexcept { return errorShown_; }

 private:
  void Show(const std::string& text) {
    std::cerr << text << "\n\n";
    if (std::current_exception() != nullptr) errorShown_ = true;
  }

  bool answer_;
  bool errorShown_ = false;
};

// The files a composition or conversion actually saved; a file whose save failed is not here.
class SavedFiles final : public CanvasObserver {
 public:
  void CanvasSaved(const Raster&, const std::string& path) override { paths_.push_back(path); }
  bool LooksAtPixels() const noexcept override { return false; }
  bool Saved(const std::string& path) const {
    for (const std::string& saved : paths_) {
      if (saved == path) return true;
    }
    return false;
  }

 private:
  std::vector<std::string> paths_;
};

// The output line of compose and convert: the file written, or nothing when none was.
inline void PrintWrittenFile(const SavedFiles& saved, const std::string& path) {
  if (!path.empty() && saved.Saved(path)) std::cout << path << "\n";
}

class SteadyClock final : public Clock {
 public:
  std::uint32_t TickCount() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
};

// No window, so no messages: waiting only lets time pass.
class IdlePump final : public MessagePump {
 public:
  void ProcessMessages() override {}
  void WaitForMessages(std::uint32_t timeoutMs) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
  }
};

class FixedScreen final : public Screen {
 public:
  FixedScreen(int w, int h) : w_(w), h_(h) {}
  int Width() const override { return w_; }
  int Height() const override { return h_; }

 private:
  int w_;
  int h_;
};

}  // namespace tapisto::tool
