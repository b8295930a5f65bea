// The one place that knows how paths are split and joined. On Windows the separator is "\"
// and a file-name part starts after the last "\" or ":"; on POSIX the separator is "/" and ":"
// is an ordinary character. Every function takes the flavour so both rules can be checked on
// any machine; callers normally use the native one.
#pragma once

#include <string>
#include <string_view>

namespace tapisto {

enum class PathFlavour { Windows, Posix };

#ifdef _WIN32
inline constexpr PathFlavour kNativePathFlavour = PathFlavour::Windows;
#else
inline constexpr PathFlavour kNativePathFlavour = PathFlavour::Posix;
#endif

char SeparatorOf(PathFlavour flavour) noexcept;

// The text after the last separator (and, on Windows, the last ":").
std::string_view FileNamePart(std::string_view path, PathFlavour flavour = kNativePathFlavour);

// `folder` + separator + `name`.
std::string JoinPath(std::string_view folder, std::string_view name,
                     PathFlavour flavour = kNativePathFlavour);

// Replaces the text from the last "." of the file name `name` on by `extension`; a name
// without "." gets `extension` appended.
std::string ReplaceExtension(std::string_view name, std::string_view extension);

// The upper-cased extension of the file-name part of `path` (".PNG"), "" when it has none.
std::string UpperExtensionOf(std::string_view path, PathFlavour flavour = kNativePathFlavour);

// An output file in `folder`: `prefix` + the file-name part of `source` with its extension
// replaced by `extension`. The prefix is part of the file name, never a folder.
std::string OutputFileName(std::string_view folder, std::string_view prefix,
                           std::string_view source, std::string_view extension,
                           PathFlavour flavour = kNativePathFlavour);

}  // namespace tapisto
