#include "tests/support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace pt::test {

ScratchDir::ScratchDir(Medium medium) {
  const bool shm = medium == Medium::Memory && ::access("/dev/shm", W_OK | X_OK) == 0;
  const fs::path base = shm ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::random_device rd;
  for (int i = 0; i < 100 && path_.empty(); ++i) {
    const fs::path p = base / ("varnholt-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
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
  for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
  return names;
}

BmpHeader shippedBmpHeader() {
  auto loaded = loadBmpHeader(VARNHOLT_BMP_HEADER);
  if (!loaded) throw std::runtime_error(describe(loaded.error()));
  return *loaded;
}

Bytes readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeAllBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

bool ScriptedPrompt::askYesNo(const std::string& title, const std::string& text) {
  questions.push_back({title, text});
  if (answers.empty()) return false;
  const bool a = answers.front();
  answers.pop_front();
  return a;
}

std::string shellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string quotePath(const fs::path& p) { return shellQuote(p.string()); }

RunResult runPtool(const std::string& args) { return runCommand(shellQuote(VARNHOLT_PTOOL) + " " + args); }

RunResult runCommand(const std::string& commandLine) {
  ScratchDir dir;
  const fs::path out = dir / "out";
  const fs::path err = dir / "err";
  const int raw = std::system((commandLine + " >" + quotePath(out) + " 2>" + quotePath(err) + " </dev/null").c_str());
  const Bytes outBytes = readAll(out);
  const Bytes errBytes = readAll(err);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(outBytes.begin(), outBytes.end()),
          std::string(errBytes.begin(), errBytes.end())};
}

}  // namespace pt::test
