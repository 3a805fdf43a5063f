#pragma once
// Shared helpers for the tests: scratch folders, whole-file reads and writes,
// running programs, and a user prompt that answers from a script.
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "bitmap/bmp_header.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"

namespace pt::test {

namespace fs = std::filesystem;

// A fresh folder, removed at the end; in memory (/dev/shm, when there is one)
// for tests of many saves whose flush to disk would only make them slow.
enum class Medium { Disk, Memory };
class ScratchDir {
 public:
  explicit ScratchDir(Medium medium = Medium::Disk);
  ~ScratchDir();
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  std::vector<std::string> entries() const;

 private:
  fs::path path_;
};

BmpHeader shippedBmpHeader();  // the template the build puts beside the programs
Bytes readAll(const fs::path& path);
void writeAllBytes(const fs::path& path, const Bytes& bytes);

struct Question { std::string title, text; };

class ScriptedPrompt : public UserPrompt {
 public:
  std::deque<bool> answers;  // answers to askYesNo, front first; No when empty
  std::vector<Question> questions, errors, infos;
  bool askYesNo(const std::string& title, const std::string& text) override;
  void showError(const std::string& caption, const std::string& text) override { errors.push_back({caption, text}); }
  void showInfo(const std::string& caption, const std::string& text) override { infos.push_back({caption, text}); }
};

struct RunResult { int status; std::string out, err; };
RunResult runCommand(const std::string& commandLine);  // through the shell, stdin empty
std::string shellQuote(const std::string& s);
std::string quotePath(const fs::path& p);
RunResult runPtool(const std::string& args);  // args already quoted
fs::path ptoolPath();  // the ptool the tests run

// Named pipes (FIFOs), and symbolic links that any user may make, exist on
// POSIX systems only (Wine makes no links): posixOnly(what) is true there,
// and elsewhere prints that `what` is left out; makeFifo makes a named pipe
// at `path` for `what` where posixOnly allows.
bool posixOnly(const std::string& what);
bool makeFifo(const fs::path& path, const std::string& what);

// Pillow, ImageMagick, prlimit and a POSIX shell, which the tests use as
// second readers and tools, exist where the tests run on Linux, not under
// Windows.
#ifdef _WIN32
#define SKIP_WITHOUT_LINUX_TOOLS() GTEST_SKIP() << "needs Pillow, ImageMagick and a POSIX shell: not on Windows"
#else
#define SKIP_WITHOUT_LINUX_TOOLS() static_cast<void>(0)
#endif

}  // namespace pt::test
