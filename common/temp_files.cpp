// The parts of the temporary-file engine that are the same on every system:
// the file's target, names, their owners, and the sweep of what dead
// processes left.
#include "common/temp_files.h"

#include <atomic>
#include <cstdlib>
#include <string_view>
#include <mutex>
#include <set>
#include <system_error>
#include <vector>

#include "common/folders.h"
#include "common/paths.h"

namespace pt {

namespace fs = std::filesystem;

TempFile::State::State(const fs::path& t) : target(t.parent_path().empty() ? fs::path(".") / t : t) {}

TempFile::TempFile() = default;
TempFile::TempFile(TempFile&&) noexcept = default;
TempFile& TempFile::operator=(TempFile&&) noexcept = default;
TempFile::~TempFile() = default;

const fs::path& TempFile::target() const { return s_->target; }

namespace detail {

fs::path tempName(const fs::path& targetName, const char* suffix) {
  static std::atomic<unsigned> counter{0};
  // Cut to stay within the name limit (UTF-16 units on Windows, where a
  // pair that makes one character is not split).
  fs::path::string_type name = targetName.native();
  if (name.size() > 120) name.resize(120);
  if constexpr (sizeof(fs::path::value_type) == 2)
    if (!name.empty() && (static_cast<unsigned>(name.back()) & 0xFC00) == 0xD800) name.pop_back();
  const std::string tail = "." + std::to_string(processId()) + "." + std::to_string(counter++) + suffix;
  return fs::path(kTempPrefix) += fs::path(name) += fs::path(tail);
}

std::uint64_t tempOwner(const fs::path& path) {
  const std::string name = utf8(path.filename());
  std::string_view rest = name;
  if (rest.rfind(kTempPrefix, 0) != 0) return 0;
  std::string_view suffix;
  for (std::string_view s : {".tmp", ".old"})
    if (rest.size() > s.size() && rest.substr(rest.size() - s.size()) == s) suffix = s;
  if (suffix.empty()) return 0;
  rest.remove_suffix(suffix.size());
  const auto counterDot = rest.rfind('.');
  if (counterDot == std::string_view::npos || counterDot + 1 == rest.size() || counterDot == 0) return 0;
  const auto pidDot = rest.rfind('.', counterDot - 1);
  if (pidDot == std::string_view::npos || pidDot + 1 == counterDot) return 0;
  std::uint64_t pid = 0;
  for (char c : rest.substr(pidDot + 1, counterDot - pidDot - 1)) {
    if (c < '0' || c > '9' || pid > 1'000'000'000) return 0;
    pid = pid * 10 + static_cast<unsigned>(c - '0');
  }
  for (char c : rest.substr(counterDot + 1))
    if (c < '0' || c > '9') return 0;
  return pid;
}

namespace {
std::mutex liveMutex;
std::set<fs::path> liveNames;  // file names only: the counter makes them unique
}  // namespace

void enterLive(const fs::path& name) {
  std::lock_guard lock(liveMutex);
  liveNames.insert(name.filename());
}

void leaveLive(const fs::path& name) {
  std::lock_guard lock(liveMutex);
  liveNames.erase(name.filename());
}

bool isLive(const fs::path& name) {
  std::lock_guard lock(liveMutex);
  return liveNames.count(name.filename()) != 0;
}

bool namedTemporariesOnly() {
  static const bool named = std::getenv("VARNHOLT_NAMED_TEMPORARIES") != nullptr;
  return named;
}

}  // namespace detail

namespace {

// The name a ".old" folder had before it was renamed aside, when the
// temporary name kept it whole.
fs::path originalName(const fs::path& aside) {
  const fs::path::string_type name = aside.filename().native();
  const std::size_t prefix = std::string_view(kTempPrefix).size();
  auto end = name.rfind('.', name.size() - 5);  // before "<n>.old"
  if (end == fs::path::string_type::npos || end == 0) return {};
  end = name.rfind('.', end - 1);  // before "<pid>"
  if (end == fs::path::string_type::npos || end <= prefix) return {};
  const fs::path::string_type original = name.substr(prefix, end - prefix);
  if (original.size() >= 120) return {};  // the name was cut
  return fs::path(original);
}

}  // namespace

void sweepStaleTemporaries(const fs::path& folder) {
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
  if (ec) return;
  std::vector<fs::path> stale;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::uint64_t pid = detail::tempOwner(it->path());
    if (pid == 0) continue;
    const bool ours = pid == detail::processId();
    if (ours ? !detail::isLive(it->path()) : !detail::processAlive(pid)) stale.push_back(it->path());
  }
  for (const auto& path : stale) {
    const std::string name = utf8(path.filename());
    if (name.size() > 4 && name.substr(name.size() - 4) == ".old") {
      // An earlier folder set aside by a replacement that never finished:
      // it goes back when nothing took its place.
      const fs::path original = originalName(path);
      if (!original.empty() && !fs::exists(fs::symlink_status(path.parent_path() / original, ec))) {
        fs::rename(path, path.parent_path() / original, ec);
        if (!ec) continue;
      }
    }
    if (fs::is_directory(fs::symlink_status(path, ec))) (void)removeFolderTree(path);
    else fs::remove(path, ec);
  }
}

}  // namespace pt
