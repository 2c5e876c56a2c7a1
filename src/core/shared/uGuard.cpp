#include "core/shared/uGuard.h"

#include <new>
#include <system_error>

namespace emberdell {

std::string ExceptionMessage(const std::exception_ptr& Error) {
  if (!Error) return "Unexpected error";
  try {
    std::rethrow_exception(Error);
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::system_error& E) {
    // A file system error names its file; the code alone would not.
    const char* What = E.what();
    return What != nullptr && *What != '\0' ? What : E.code().message();
  } catch (const std::exception& E) {
    const char* What = E.what();
    return What != nullptr && *What != '\0' ? What : "Unexpected error";
  } catch (...) {
    return "Unexpected error";
  }
}

}  // namespace emberdell
