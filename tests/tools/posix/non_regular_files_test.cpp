// Named pipes and folders where a file is expected: every command refuses them with a message
// naming the file, and none waits on a pipe that no program will ever write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "image/bmp.h"
#include "support/picture_files.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

// Lets a reader that opened `fifo` and waits on it go on (it reads an empty file) once
// `patience` has passed, so that a fault shows as a failed expectation, not a hung test.
class PipeRelease {
 public:
  PipeRelease(std::string fifo, std::chrono::seconds patience)
      : thread_([this, fifo = std::move(fifo), patience] {
          const auto until = std::chrono::steady_clock::now() + patience;
          while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (std::chrono::steady_clock::now() < until) continue;
            // Succeeds only while a reader has the pipe open; closing it ends the reader's wait.
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
          }
        }) {}
  ~PipeRelease() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Case {
  const char* what;
  // The tool's arguments; PIPE stands for the file that is no regular file.
  std::vector<std::string> args;
  // Whether a folder in its place reaches the reader (the compositions skip a missing file).
  bool folderToo = false;
};

TEST(NonRegularFiles, APipeOrAFolderAsAnyInputIsRefusedAtOnceAndNamed) {
  TempDir dir;
  const std::string folder = dir.File("out");
  std::filesystem::create_directory(folder);
  Raster logo = PatternRaster(16, 12);
  logo.SetFormat(PixelFormat::Bit24);
  WriteBytes(dir.File("Logo.bmp"), EncodeBmp(logo));
  const std::string hive =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"\"\n";
  WriteBytes(dir.File("HKCU.reg"), {hive.begin(), hive.end()});
  const std::vector<std::string> compose = {"compose", "--screen", "64x48", "--background",
                                            "0 0 0",   "--folder", folder};
  auto with = [](std::vector<std::string> head, std::vector<std::string> tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const Case cases[] = {
      {"decode", {"decode", "PIPE.jpg", "out.bmp"}, true},
      {"compose", with(compose, {"--style", "normal", "PIPE.jpg"})},
      {"compose --previous",
       with(compose, {"--style", "addieren", "--previous", "PIPE.bmp", dir.File("Logo.bmp")})},
      {"convert", {"convert", "--to", "jpg", "--folder", folder, "PIPE.png"}},
      {"apply",
       {"apply", "--hive", dir.File("HKCU.reg"), "--folder", folder, "--screen", "64x48", "--style",
        "normal", "PIPE.gif"}},
  };
  for (const Case& c : cases) {
    for (const char* kind : {"pipe", "folder"}) {
      if (std::string(kind) == "folder" && !c.folderToo) continue;
      SCOPED_TRACE(std::string(c.what) + " with a " + kind);
      std::vector<std::string> args = c.args;
      std::string input;
      for (std::string& arg : args) {
        if (!arg.starts_with("PIPE")) continue;
        arg = input = dir.File(std::string(kind) + arg.substr(4));
      }
      if (std::string(kind) == "pipe") {
        ASSERT_EQ(::mkfifo(input.c_str(), 0600), 0);
      } else {
        std::filesystem::create_directory(input);
      }
      const PipeRelease release(input, std::chrono::seconds(5));
      const ProgramResult r = RunProgram(TAPISTO_TOOL_PATH, args, dir.File("tool"));
      const std::string named = std::string(kind) == "pipe" ? "a named pipe" : "a folder";
      EXPECT_NE(r.err.find("\"" + input + "\": it is " + named), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("9223372036854775807"), std::string::npos) << r.err;
      std::filesystem::remove(input);
    }
  }
}

}  // namespace
}  // namespace tapisto::test
