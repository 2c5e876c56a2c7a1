// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes. Each object gets its own name, so tests running
// at the same time (ctest -j, two builds) never share one.
#pragma once

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace emberdell::support {

class TTempFolder {
 public:
  explicit TTempFolder(const std::string& Prefix = "emberdell-test") {
    static std::atomic<unsigned> Counter{0};
    std::random_device Seed;
    const std::filesystem::path Base = std::filesystem::temp_directory_path();
    do {
      FPath = Base / (Prefix + "-" + std::to_string(Seed()) + "-" + std::to_string(++Counter));
    } while (!std::filesystem::create_directories(FPath));
  }
  ~TTempFolder() {
    std::error_code Ignored;
    std::filesystem::remove_all(FPath, Ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  // The path of Name inside the folder, as the code under test takes paths.
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }
  // The folder with a trailing separator, as the style and picture folders are kept.
  std::string Folder() const { return (FPath / "").string(); }

 private:
  std::filesystem::path FPath;
};

}  // namespace emberdell::support
