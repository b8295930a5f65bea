#include "base/error.h"

#include <exception>
#include <new>

namespace tapisto {

std::string DescribeCurrentException() {
  try {
    throw;
  } catch (const Error& e) {
    return Describe(e);
  } catch (const std::bad_alloc&) {
    return "OutOfMemoryError : Zu wenig Arbeitsspeicher";
  } catch (const std::exception& e) {
    return std::string("Error : ") + e.what();
  } catch (...) {
    return "Error : unbekannter Fehler";
  }
}

}  // namespace tapisto
