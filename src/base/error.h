// The one error hierarchy of Tapisto. Every failure the program reports is an Error whose
// TypeName() is shown to the user as "type name : message", so the type names are chosen to
// read well in a message box.
#pragma once

#include <stdexcept>
#include <string>

namespace tapisto {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  // The name shown before " : " in the program's messages.
  virtual const char* TypeName() const noexcept { return "Error"; }
};

#define TAPISTO_ERROR_TYPE(Name, Base)                               \
  class Name : public Base {                                         \
   public:                                                           \
    using Base::Base;                                                \
    const char* TypeName() const noexcept override { return #Name; } \
  }

// A picture file whose bytes are not a valid picture of its format (damaged, truncated,
// unsupported variant).
TAPISTO_ERROR_TYPE(ImageFormatError, Error);
// A picture that is valid but larger than the program's limits allow.
TAPISTO_ERROR_TYPE(ImageTooLargeError, ImageFormatError);
// A file that cannot be opened or read.
TAPISTO_ERROR_TYPE(FileReadError, Error);
// A file that cannot be created or written.
TAPISTO_ERROR_TYPE(FileWriteError, Error);
// A text that should hold a number but does not.
TAPISTO_ERROR_TYPE(ConversionError, Error);
// A raster operation asked for something impossible (for example a size beyond the limits).
TAPISTO_ERROR_TYPE(RasterError, Error);

// "type name : message", the form every report of an error uses.
inline std::string Describe(const Error& e) {
  return std::string(e.TypeName()) + " : " + e.what();
}

// Describe() for the exception being handled, whatever its type: our own errors by their
// type name, running out of memory as "OutOfMemoryError", any other exception as "Error".
// Call only inside a catch block.
std::string DescribeCurrentException();

}  // namespace tapisto
