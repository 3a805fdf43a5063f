#pragma once
// Runs fn(0) ... fn(count - 1) on as many threads as the machine has cores.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace pt {

template <class Fn>
void parallelFor(std::size_t count, Fn fn) {
  const std::size_t threads =
      std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next++) < count;) fn(i);
  };
  if (threads <= 1) return work();
  std::vector<std::jthread> pool;
  for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
}

}  // namespace pt
