#include "common/interrupt_posix.h"

#include <signal.h>

#include <atomic>
#include <cerrno>
#include <iterator>
#include <mutex>

namespace pt::detail {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction earlierActions[3];
std::atomic<void (*)()> cleanups[4];
std::mutex registering;
int registered = 0;  // under `registering`

void onInterrupt(int sig) {
  const int saved = errno;
  for (auto& cleanup : cleanups)
    if (auto run = cleanup.load()) run();
  for (int i = 0; i < 3; ++i)
    if (kSignals[i] == sig) ::sigaction(sig, &earlierActions[i], nullptr);
  errno = saved;
  ::raise(sig);  // taken by the earlier disposition once this handler returns
}

}  // namespace

void cleanUpOnInterrupt(void (*cleanup)()) {
  std::lock_guard lock(registering);
  if (registered == static_cast<int>(std::size(cleanups))) return;  // never: the file layer has two
  cleanups[registered++] = cleanup;
  if (registered > 1) return;
  struct sigaction act {};
  act.sa_handler = onInterrupt;
  sigemptyset(&act.sa_mask);
  for (int sig : kSignals) sigaddset(&act.sa_mask, sig);
  for (int i = 0; i < 3; ++i) {
    ::sigaction(kSignals[i], nullptr, &earlierActions[i]);
    if (earlierActions[i].sa_handler != SIG_IGN) ::sigaction(kSignals[i], &act, nullptr);
  }
}

}  // namespace pt::detail
