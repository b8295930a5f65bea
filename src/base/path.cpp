#include "base/path.h"

#include "base/text.h"

namespace tapisto {

char SeparatorOf(PathFlavour flavour) noexcept {
  return flavour == PathFlavour::Windows ? '\\' : '/';
}

std::string_view FileNamePart(std::string_view path, PathFlavour flavour) {
  const auto cut = flavour == PathFlavour::Windows ? path.find_last_of("\\:") : path.rfind('/');
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string JoinPath(std::string_view folder, std::string_view name, PathFlavour flavour) {
  std::string out(folder);
  out += SeparatorOf(flavour);
  out += name;
  return out;
}

std::string ReplaceExtension(std::string_view name, std::string_view extension) {
  const auto dot = name.rfind('.');
  std::string out(dot == std::string_view::npos ? name : name.substr(0, dot));
  out += extension;
  return out;
}

std::string UpperExtensionOf(std::string_view path, PathFlavour flavour) {
  return UpperAscii(ExtensionOf(FileNamePart(path, flavour)));
}

std::string OutputFileName(std::string_view folder, std::string_view prefix,
                           std::string_view source, std::string_view extension,
                           PathFlavour flavour) {
  std::string name(prefix);
  name += FileNamePart(source, flavour);
  return JoinPath(folder, ReplaceExtension(name, extension), flavour);
}

}  // namespace tapisto
