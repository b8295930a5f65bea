// Local files as the file:// URIs that desktop settings hold (GNOME's picture-uri, Plasma's
// Image), made and read through GLib, which percent-encodes as RFC 8089 asks.
#pragma once

#include <optional>
#include <string>

namespace tapisto {

// The file:// URI of `file`, made absolute against the working folder first; "" for "".
// Throws DesktopError for a path that makes no URI.
std::string FileUri(const std::string& file);

// The local path a file:// URI names; nullopt for another URI or text that is none.
std::optional<std::string> PathOfFileUri(const std::string& uri);

}  // namespace tapisto
