// Fakes of the ports for tests: a fixed screen, a tick counter the test moves, a scripted
// message pump, recording dialogs and recording controls.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ports/clock.h"
#include "ports/composition_controls.h"
#include "ports/dialogs.h"
#include "ports/message_pump.h"
#include "ports/screen.h"

namespace tapisto::test {

class FakeScreen final : public Screen {
 public:
  FakeScreen(int w, int h) : width(w), height(h) {}
  int Width() const override { return width; }
  int Height() const override { return height; }
  int width;
  int height;
};

// A tick counter that moves only when the test (or the pump's wait) moves it.
class FakeClock final : public Clock {
 public:
  std::uint32_t TickCount() override { return now; }
  std::uint32_t now = 0;
};

// Runs scripted events as the window's pending messages. A wait on the queue advances the
// fake clock by one tick step, as a real wait would let time pass.
class ScriptedPump final : public MessagePump {
 public:
  explicit ScriptedPump(FakeClock& clock, std::uint32_t tickStep = 16)
      : clock_(clock), tickStep_(tickStep) {}

  void Post(std::function<void()> event) { pending_.push_back(std::move(event)); }

  void ProcessMessages() override {
    ++processCalls;
    // Only what is pending now runs; what those handlers post waits for the next call.
    std::deque<std::function<void()>> now;
    now.swap(pending_);
    for (auto& event : now) event();
  }
  void WaitForMessages(std::uint32_t) override {
    ++waitCalls;
    clock_.now += tickStep_;
  }

  int processCalls = 0;
  int waitCalls = 0;

 private:
  FakeClock& clock_;
  std::uint32_t tickStep_;
  std::deque<std::function<void()>> pending_;
};

class RecordingDialogs final : public Dialogs {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool Confirm(const std::string& text) override {
    questions.push_back(text);
    if (onQuestion) onQuestion();
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowErrorReport(const std::string& text) override { errorReports.push_back(text); }
  std::optional<std::string> ChooseFile(const std::string& filter,
                                        const std::string& initialFolder) override {
    fileDialogs.push_back({filter, initialFolder});
    if (chosenFiles.empty()) return std::nullopt;
    auto chosen = chosenFiles.front();
    chosenFiles.pop_front();
    return chosen;
  }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> errorReports;
  std::deque<bool> answers;          // answers to the next questions; No when none is left
  std::function<void()> onQuestion;  // runs when a question is asked
  // The file dialog's answers in turn (nullopt: cancelled), and what each dialog was given.
  std::deque<std::optional<std::string>> chosenFiles;
  std::vector<std::pair<std::string, std::string>> fileDialogs;
};

// The offset fields and style list as the compositions see them, recording every call.
class RecordingControls final : public CompositionControls {
 public:
  int OffsetX() override { return x; }
  int OffsetY() override { return y; }
  void DetachOffsetHandlers() override {
    events.push_back("detach");
    attached = false;
  }
  void AttachOffsetHandlers() override {
    events.push_back("attach");
    attached = true;
  }
  void ResetOffsetXToZero() override {
    events.push_back("resetX");
    const bool changed = x != 0;
    x = 0;
    if (changed && attached && onXChanged) onXChanged();
  }
  void SelectFirstStyleSilently() override {
    events.push_back("selectFirst");
    styleIndex = 0;
  }

  int x = 0;
  int y = 0;
  int styleIndex = -1;
  bool attached = true;
  std::vector<std::string> events;
  std::function<void()> onXChanged;  // the X field's change handler (a nested apply)
};

}  // namespace tapisto::test
