#include "ui/window_support.h"

#include <exception>
#include <new>

#include "base/error.h"
#include "base/path.h"

namespace tapisto {

OffsetRanges OffsetRangesFor(int w, int h, int screenWidth, int screenHeight) noexcept {
  return {20 - w, screenWidth - 20, 40 - h, screenHeight - 50};
}

std::string FolderPartOf(std::string_view path) {
  const std::string_view name = FileNamePart(path);
  return std::string(path.substr(0, path.size() - name.size()));
}

bool NamesExistingFile(Files& files, const std::string& text) {
  return !text.empty() && files.FileExists(text);
}

std::string CurrentErrorMessage() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return "Zu wenig Arbeitsspeicher";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unbekannter Fehler";
  }
}

}  // namespace tapisto
