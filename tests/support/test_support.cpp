#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "common/paths.h"
#include "common/program.h"

namespace pt::test {

// What differs between the systems the tests run on: the shell's quoting,
// the null device, and how a command's exit status comes back.
#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
int processNumber() { return _getpid(); }
bool memoryFolderUsable() { return false; }
int runShell(const std::string& commandLine) {
  // cmd.exe drops the outer quotes of the whole line; UTF-8 becomes UTF-16.
  const fs::path wide = pathFromUtf8("\"" + commandLine + "\"");
  return _wsystem(wide.c_str());
}
int exitStatus(int raw) { return raw; }
bool posixOnly(const std::string& what) {
  std::cout << "[ SKIPPED  ] " << what << ": not on Windows\n";
  return false;
}
bool makeFifo(const fs::path&, const std::string& what) { return posixOnly(what); }
#else
constexpr const char* kNullDevice = "/dev/null";
int processNumber() { return ::getpid(); }
bool memoryFolderUsable() { return ::access("/dev/shm", W_OK | X_OK) == 0; }
int runShell(const std::string& commandLine) { return std::system(commandLine.c_str()); }
int exitStatus(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }
bool posixOnly(const std::string&) { return true; }
bool makeFifo(const fs::path& path, const std::string& what) {
  const bool made = ::mkfifo(path.c_str(), 0600) == 0;
  if (!made) ADD_FAILURE() << "no named pipe for " << what;
  return made;
}
#endif

ScratchDir::ScratchDir(Medium medium) {
  const bool shm = medium == Medium::Memory && memoryFolderUsable();
  const fs::path base = shm ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::random_device rd;
  for (int i = 0; i < 100 && path_.empty(); ++i) {
    const fs::path p = base / ("varnholt-test-" + std::to_string(processNumber()) + "-" + std::to_string(rd()));
    if (fs::create_directory(p)) path_ = p;
  }
  if (path_.empty()) throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::vector<std::string> ScratchDir::entries() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path_)) names.push_back(utf8(e.path().filename()));
  return names;
}

BmpHeader shippedBmpHeader() {
  auto loaded = loadBmpHeader(programFolder() / "bmp_header.bin");
  if (!loaded) throw std::runtime_error(describe(loaded.error()));
  return *loaded;
}

Bytes readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + utf8(path));
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeAllBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + utf8(path));
}

bool ScriptedPrompt::askYesNo(const std::string& title, const std::string& text) {
  questions.push_back({title, text});
  if (answers.empty()) return false;
  const bool a = answers.front();
  answers.pop_front();
  return a;
}

std::string shellQuote(const std::string& s) {
#ifdef _WIN32
  return "\"" + s + "\"";  // no name holds a double quote there
#else
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
#endif
}

std::string quotePath(const fs::path& p) { return shellQuote(utf8(p)); }

fs::path ptoolPath() {
#ifdef _WIN32
  return programFolder() / "ptool.exe";  // beside the tests
#else
  return VARNHOLT_PTOOL;
#endif
}

RunResult runPtool(const std::string& args) { return runCommand(quotePath(ptoolPath()) + " " + args); }

RunResult runCommand(const std::string& commandLine) {
  ScratchDir dir;
  const fs::path out = dir / "out";
  const fs::path err = dir / "err";
  const int raw = runShell(commandLine + " >" + quotePath(out) + " 2>" + quotePath(err) + " <" + kNullDevice);
  const Bytes outBytes = readAll(out);
  const Bytes errBytes = readAll(err);
  return {exitStatus(raw), std::string(outBytes.begin(), outBytes.end()), std::string(errBytes.begin(), errBytes.end())};
}

}  // namespace pt::test
