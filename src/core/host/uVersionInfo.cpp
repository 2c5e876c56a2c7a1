#include "core/host/uVersionInfo.h"

namespace emberdell {

std::string FormatVersionText(uint32_t FileVersionMS, uint32_t FileVersionLS) {
  const uint32_t Major = FileVersionMS >> 16, Minor = FileVersionMS & 0xFFFF;
  const uint32_t Release = FileVersionLS >> 16, Build = FileVersionLS & 0xFFFF;
  return std::to_string(Major) + "." + std::to_string(Minor) + std::to_string(Release) + "." +
         std::to_string(Build);
}

}  // namespace emberdell
