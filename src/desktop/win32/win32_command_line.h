// The program's command line as UTF-8 text. The narrow argv of a Windows program is in the
// ANSI code page and loses characters outside it; the wide command line keeps them all.
#pragma once

#include <string>
#include <vector>

namespace tapisto {

// The arguments after the program name, split by the rules of CommandLineToArgvW.
std::vector<std::string> CommandLineArguments();

}  // namespace tapisto
