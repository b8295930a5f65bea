// The program entry as a class the views and the tests drive: Start() sets the application
// title, creates the main window (its start-up runs), creates the hidden log window and
// attaches the four change handlers; the view then runs the message loop.
#pragma once

#include <memory>

#include "ports/window_ports.h"
#include "state/log_lines.h"
#include "ui/form1.h"
#include "ui/form2.h"

namespace tapisto {

inline constexpr std::string_view kApplicationTitle = "Tapisto";

class Program {
 public:
  explicit Program(const WindowPorts& ports);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The entry's steps before the message loop. Runs once.
  void Start();
  // After the message loop has ended: the texts of the state record are released.
  void Finish();

  LogLines& Log() noexcept { return log_; }
  // Null before Start().
  TForm1* Form1() noexcept { return form1_.get(); }
  TForm2* Form2() noexcept { return form2_.get(); }

 private:
  void AttachChangeHandlers();

  WindowPorts ports_;
  LogLines log_;
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
};

}  // namespace tapisto
