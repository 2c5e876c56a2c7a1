// The background catalogue: user pictures are the "*.jpg" files of one
// folder, named by their file name without the extension. A name of the
// form "Group - Item" is shown as Item under the group Group.
#pragma once

#include <string>
#include <vector>

namespace emberdell {

inline constexpr const char* DesktopSnapshotBackground = "(Default) Desktop Snapshot";

// Names of the "*.jpg" files of Folder (extension in any case), in the order
// the folder lists them; empty when the folder is missing.
std::vector<std::string> ListBackgrounds(const std::string& Folder);

// The file names ("*.jpg", with extension) of Folder, in the same order.
std::vector<std::string> BackgroundFileNames(const std::string& Folder);

struct TBackgroundNode {
  std::string Text;
  std::vector<TBackgroundNode> Children;  // only top-level nodes have children
};

// The tree of the settings window, built from file names with extension:
// top-level nodes in order of first appearance, a group gathering every file
// whose text before the first " - " matches it regardless of case.
std::vector<TBackgroundNode> BuildBackgroundTree(const std::vector<std::string>& FileNames);

// The background a tree node stands for: "Group - Item" for a child node,
// the node's own text for a top-level one (GroupText empty). Group texts are
// never empty, so the empty string cannot be mistaken for a group.
std::string BackgroundNameOfNode(const std::string& GroupText, const std::string& Text);

// One entry of Active chosen with the process-wide Random(Count); the empty
// string, without drawing, when the list is empty.
std::string RandomActiveBackground(const std::vector<std::string>& Active);

}  // namespace emberdell
