#include "core/engine/uBackgrounds.h"
#include "core/shared/uText.h"

#include <filesystem>
#include <system_error>

#include "core/shared/uFileUtils.h"
#include "core/shared/uRandom.h"

namespace fs = std::filesystem;

namespace emberdell {

namespace {

constexpr size_t ExtensionLength = 4;  // ".jpg"


std::string WithoutExtension(const std::string& Text) {
  return Text.size() >= ExtensionLength ? Text.substr(0, Text.size() - ExtensionLength) : std::string();
}

}  // namespace

std::vector<std::string> BackgroundFileNames(const std::string& Folder) { return ListFiles(Folder, ".jpg"); }

std::vector<std::string> ListBackgrounds(const std::string& Folder) {
  std::vector<std::string> Names;
  for (const std::string& File : BackgroundFileNames(Folder)) Names.push_back(WithoutExtension(File));
  return Names;
}

std::vector<TBackgroundNode> BuildBackgroundTree(const std::vector<std::string>& FileNames) {
  static const std::string Separator = " - ";
  std::vector<TBackgroundNode> Tree;
  for (const std::string& File : FileNames) {
    const size_t P = File.find(Separator);
    if (P != std::string::npos && P > 0) {
      const std::string Group = File.substr(0, P);
      const size_t ItemStart = P + Separator.size();
      const size_t ItemEnd = File.size() >= ExtensionLength ? File.size() - ExtensionLength : 0;
      const std::string Item = ItemEnd > ItemStart ? File.substr(ItemStart, ItemEnd - ItemStart) : std::string();
      // Any top-level node of that text takes the item, even one that began
      // as a picture of its own ("Castles.jpg" beside "Castles - Night.jpg").
      TBackgroundNode* Parent = nullptr;
      for (TBackgroundNode& Node : Tree)
        if (SameText(Node.Text, Group)) {
          Parent = &Node;
          break;
        }
      if (Parent == nullptr) {
        Tree.push_back({Group, {}});
        Parent = &Tree.back();
      }
      Parent->Children.push_back({Item, {}});
    } else if (P == 0) {
      Tree.push_back({WithoutExtension(File.substr(Separator.size())), {}});
    } else {
      Tree.push_back({WithoutExtension(File), {}});
    }
  }
  return Tree;
}

std::string BackgroundNameOfNode(const std::string& GroupText, const std::string& Text) {
  return GroupText.empty() ? Text : GroupText + " - " + Text;
}

std::string RandomActiveBackground(const std::vector<std::string>& Active) {
  if (Active.empty()) return std::string();
  return Active[Random(static_cast<uint32_t>(Active.size()))];
}

}  // namespace emberdell
