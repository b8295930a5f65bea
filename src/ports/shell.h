// Port: the shell's folders and its launcher.
#pragma once

#include <string>

namespace tapisto {

// The shell folders the program asks for; each backend maps them to its system's own.
enum class ShellFolder {
  Documents,       // the user's documents folder
  RoamingAppData,  // the roaming application-data folder
};

// How the window of a program the shell launches first shows.
enum class ShowCommand {
  Show,  // activated, in its current size and place
};

class Shell {
 public:
  virtual ~Shell() = default;
  // The file-system path of shell folder `folder`; empty text when it cannot be resolved.
  virtual std::string SpecialFolder(ShellFolder folder) = 0;
  // The user's temporary folder as the system gives it (it may end in a separator); empty
  // text when the system has none.
  virtual std::string TempPath() = 0;
  // Opens a document or address with the program registered for it. Nothing is reported.
  virtual void Open(const std::string& document, const std::string& parameters,
                    const std::string& folder, ShowCommand show) = 0;
};

}  // namespace tapisto
