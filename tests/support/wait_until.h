// Waiting for a condition with a deadline instead of sleeping and hoping.
#pragma once

#include <chrono>
#include <thread>

namespace emberdell::support {

// Long enough for a loaded machine under a sanitizer or Wine; a test that
// needs it has failed anyway.
constexpr std::chrono::milliseconds TestDeadline{20000};

// Polls Condition until it holds or Timeout passes; true when it held.
// Between polls runs Between (a Windows test pumps its messages there, so its
// own windows stay alive).
template <class TCondition, class TBetween>
bool WaitUntil(std::chrono::milliseconds Timeout, TCondition Condition, TBetween Between) {
  const auto Until = std::chrono::steady_clock::now() + Timeout;
  for (;;) {
    if (Condition()) return true;
    if (std::chrono::steady_clock::now() >= Until) return false;
    Between();
  }
}

// The same, yielding between polls, with the common deadline.
template <class TCondition>
bool WaitUntil(TCondition Condition) {
  return WaitUntil(TestDeadline, Condition, [] { std::this_thread::yield(); });
}

}  // namespace emberdell::support
