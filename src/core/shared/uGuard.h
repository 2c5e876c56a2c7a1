// The last line of defence around code that must not let an exception out:
// window and dialog procedures, thread bodies, the entry point. What was
// thrown becomes a message for the user's error box, or is dropped where no
// user is looking.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace emberdell {

// The text the application's error box shows for a caught exception: the
// run-time library's wording where there is one ("Out of memory"), else what
// the exception says, never empty.
std::string ExceptionMessage(const std::exception_ptr& Error);

// Runs Body; whatever it throws stops here and goes to OnError (which must
// not throw itself). True when Body returned normally.
template <class TBody, class TOnError>
bool RunGuarded(TBody&& Body, TOnError&& OnError) noexcept {
  try {
    std::forward<TBody>(Body)();
    return true;
  } catch (...) {
    try {
      OnError(std::current_exception());
    } catch (...) {
    }
    return false;
  }
}

template <class TBody>
bool RunGuarded(TBody&& Body) noexcept {
  return RunGuarded(std::forward<TBody>(Body), [](const std::exception_ptr&) {});
}

}  // namespace emberdell
