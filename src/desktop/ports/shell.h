// Port: the shell's folders and its launcher.
#pragma once

#include <string>

namespace tapisto {

// Shell folder numbers the program asks for.
inline constexpr int kFolderPersonal = 5;  // the user's documents folder
inline constexpr int kFolderAppData = 26;  // the roaming application-data folder

class Shell {
 public:
  virtual ~Shell() = default;
  // The file-system path of shell folder `folder`; empty text when it cannot be resolved.
  virtual std::string SpecialFolder(int folder) = 0;
  // The user's temporary folder as the system gives it (it may end in a separator); empty
  // text when the system has none.
  virtual std::string TempPath() = 0;
  // Opens a document or address with the program registered for it. Nothing is reported.
  virtual void Open(const std::string& document, const std::string& parameters,
                    const std::string& folder, int showMode) = 0;
};

}  // namespace tapisto
