#include "desktop/win32/win32_system.h"

#include "desktop/win32/windows_api.h"

namespace tapisto {

void Win32Refresh::Refresh() {
  ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE);
}

int Win32Screen::Width() const {
  return ::GetSystemMetrics(SM_CXSCREEN);
}

int Win32Screen::Height() const {
  return ::GetSystemMetrics(SM_CYSCREEN);
}

std::uint32_t Win32Clock::TickCount() {
  return ::GetTickCount();
}

}  // namespace tapisto
