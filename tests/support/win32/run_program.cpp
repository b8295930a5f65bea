#include "support/run_program.h"

#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"

namespace tapisto::test {

namespace {

// One argument quoted so that CommandLineToArgvW and the C runtime give it back unchanged:
// backslashes are doubled only where they precede a quote.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

// A file the child may inherit as one of its standard streams.
HANDLE InheritableOutput(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return ::CreateFileW(Utf16FromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& scratch) {
  const std::string outFile = scratch + "-stdout.txt";
  const std::string errFile = scratch + "-stderr.txt";
  std::wstring commandLine = Quoted(Utf16FromUtf8(program));
  for (const std::string& arg : args) commandLine += L" " + Quoted(Utf16FromUtf8(arg));

  ProgramResult result;
  const HANDLE out = InheritableOutput(outFile);
  const HANDLE err = InheritableOutput(errFile);
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::wstring application = Utf16FromUtf8(program);
    if (::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                         nullptr, nullptr, &startup, &process)) {
      ::WaitForSingleObject(process.hProcess, INFINITE);
      DWORD code = 0;
      if (::GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
      ::CloseHandle(process.hThread);
      ::CloseHandle(process.hProcess);
    }
  }
  if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) ::CloseHandle(err);
  result.out = ReadProgramOutput(outFile);
  result.err = ReadProgramOutput(errFile);
  return result;
}

}  // namespace tapisto::test
