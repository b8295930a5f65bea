// The user's folders as the XDG base-directory and user-dirs conventions give them.
#pragma once

#include <string>
#include <string_view>

namespace tapisto {

// $HOME, else the home folder of the user's account entry; "" when neither is known.
std::string HomeFolder();

// $XDG_CONFIG_HOME when it holds an absolute path (a relative one is ignored, as the
// convention asks), else $HOME/.config; "" when there is no home folder.
std::string ConfigHome();

// The value of `name` (as "XDG_DOCUMENTS_DIR") in the text of a user-dirs.dirs file: the last
// line NAME="..." wins; "$HOME" at the start of the quoted path stands for `home`, a backslash
// takes the next character literally. A value that is neither absolute nor starts with "$HOME"
// is ignored. "" when the file sets no usable value.
std::string UserDirFromText(std::string_view text, std::string_view name, std::string_view home);

// XDG_DOCUMENTS_DIR from $XDG_CONFIG_HOME/user-dirs.dirs, else $HOME/Documents; "" when there is
// no home folder.
std::string DocumentsFolder();

// `folder` + "/" + `name`, with the separators of `folder`'s end folded into that one "/".
std::string JoinUnderFolder(std::string_view folder, std::string_view name);

}  // namespace tapisto
