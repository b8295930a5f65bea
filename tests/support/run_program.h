// Runs another program of the build directly (no shell, so no quoting rules of a shell) and
// collects its exit code and both output streams.
#pragma once

#include <string>
#include <vector>

namespace tapisto::test {

struct ProgramResult {
  int exitCode = -1;  // -1 when the program could not be started or did not exit normally
  std::string out;
  std::string err;
};

// Runs `program` with `args`; its output streams go through the files `scratch` + "-stdout.txt"
// and `scratch` + "-stderr.txt". Line ends are given as "\n" whatever the system writes
// ("\r\n" on Windows).
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& scratch);

// The text a program wrote to the file `path`, with "\r\n" turned into "\n"; empty when
// there is no such file.
std::string ReadProgramOutput(const std::string& path);

}  // namespace tapisto::test
