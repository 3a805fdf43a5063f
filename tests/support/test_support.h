#pragma once
// Shared helpers for the tests: scratch folders, whole-file reads and writes,
// and a user prompt that answers from a script and records what it was asked.
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "bitmap/bmp_header.h"
#include "container/pt_file.h"
#include "container/user_prompt.h"

namespace pt::test {

namespace fs = std::filesystem;

// Where a scratch folder lives. Tests that check the logic of many saves and
// exports, not their flush to disk, may ask for memory: a disk whose flush
// takes a long time would otherwise make them slow.
enum class Medium { Disk, Memory };

// A fresh folder under the system's temporary folder (or, for Medium::Memory,
// under /dev/shm when that has room), removed at the end.
class ScratchDir {
 public:
  explicit ScratchDir(Medium medium = Medium::Disk);
  ~ScratchDir();
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  // Names of the entries in the folder, for checks that nothing was left behind.
  std::vector<std::string> entries() const;

 private:
  fs::path path_;
};

// The header template the build ships beside the programs.
BmpHeader shippedBmpHeader();

Bytes readAll(const fs::path& path);
void writeAllBytes(const fs::path& path, const Bytes& bytes);

struct Question {
  std::string title;
  std::string text;
};

class ScriptedPrompt final : public UserPrompt {
 public:
  std::deque<bool> answers;  // answers to askYesNo, front first; No when empty
  std::vector<Question> questions;
  std::vector<Question> errors;
  std::vector<Question> infos;

  bool askYesNo(const std::string& title, const std::string& text) override;
  void showError(const std::string& caption, const std::string& text) override;
  void showInfo(const std::string& caption, const std::string& text) override;
};

// Runs a shell command line and returns its exit status; output goes to the files.
struct RunResult {
  int status;
  std::string out;
  std::string err;
};
RunResult runCommand(const std::string& commandLine);
std::string shellQuote(const std::string& s);
std::string quotePath(const fs::path& p);
// Runs the built ptool; args are already quoted for the shell.
RunResult runPtool(const std::string& args);

}  // namespace pt::test
