#include "core/settings/uSettingsLogic.h"

#include <algorithm>

#include "core/engine/uBackgrounds.h"
#include "core/shared/uNumbers.h"
#include "core/styles/uPresets.h"

namespace emberdell {

namespace {

void SortNodes(std::vector<TCheckNode>& Nodes, const TTextCompare& Compare) {
  std::stable_sort(Nodes.begin(), Nodes.end(),
                   [&](const TCheckNode& A, const TCheckNode& B) { return Compare(A.Text, B.Text) < 0; });
}

void ReplaceAll(std::string& Text, const std::string& From, const std::string& To) {
  for (size_t At = Text.find(From); At != std::string::npos; At = Text.find(From, At + To.size()))
    Text.replace(At, From.size(), To);
}

}  // namespace

std::optional<size_t> IndexOfText(const std::vector<std::string>& List, const std::string& Text) {
  for (size_t i = 0; i < List.size(); ++i)
    if (SameText(List[i], Text)) return i;
  return std::nullopt;
}

const TCheckNode* NodeAt(const TCheckTree& Tree, const TNodeRef& Ref) {
  if (Ref.Top >= Tree.size()) return nullptr;
  const TCheckNode& Top = Tree[Ref.Top];
  if (!Ref.Child) return &Top;
  return *Ref.Child < Top.Children.size() ? &Top.Children[*Ref.Child] : nullptr;
}

TCheckNode* NodeAt(TCheckTree& Tree, const TNodeRef& Ref) {
  return const_cast<TCheckNode*>(NodeAt(static_cast<const TCheckTree&>(Tree), Ref));
}

std::string FullName(const TCheckTree& Tree, const TNodeRef& Ref) {
  const TCheckNode* Node = NodeAt(Tree, Ref);
  if (Node == nullptr) return {};
  if (!Ref.Child) return Node->Text;
  return BackgroundNameOfNode(Tree[Ref.Top].Text, Node->Text);
}

std::vector<TNodeRef> Leaves(const TCheckTree& Tree) {
  std::vector<TNodeRef> Result;
  for (size_t i = 0; i < Tree.size(); ++i) {
    if (!Tree[i].IsGroup()) {
      Result.push_back({i, std::nullopt});
      continue;
    }
    for (size_t j = 0; j < Tree[i].Children.size(); ++j) Result.push_back({i, j});
  }
  return Result;
}

std::optional<size_t> FindTopNode(const TCheckTree& Tree, const std::string& Text) {
  for (size_t i = 0; i < Tree.size(); ++i)
    if (SameText(Tree[i].Text, Text)) return i;
  return std::nullopt;
}

TCheckTree BuildPresetTree(std::vector<std::string> Names, const std::vector<std::string>& Active,
                           const TTextCompare& Compare) {
  Names.push_back(RandomPresetName);
  TCheckTree Tree;
  for (auto& Name : Names) {
    TCheckNode Node;
    Node.Checked = IndexOfText(Active, Name).has_value();
    Node.Text = std::move(Name);
    Tree.push_back(std::move(Node));
  }
  SortNodes(Tree, Compare);
  return Tree;
}

TCheckTree BuildBackgroundCheckTree(const std::vector<std::string>& FileNames, const std::vector<std::string>& Active,
                                    const TTextCompare& Compare) {
  TCheckTree Tree;
  for (const TBackgroundNode& Picture : BuildBackgroundTree(FileNames)) {
    TCheckNode Node;
    Node.Text = Picture.Text;
    for (const TBackgroundNode& Item : Picture.Children) Node.Children.push_back(TCheckNode{Item.Text, false, {}});
    SortNodes(Node.Children, Compare);
    Tree.push_back(std::move(Node));
  }
  Tree.push_back(TCheckNode{DesktopSnapshotBackground, false, {}});
  SortNodes(Tree, Compare);
  for (const TNodeRef& Ref : Leaves(Tree)) NodeAt(Tree, Ref)->Checked = IndexOfText(Active, FullName(Tree, Ref)).has_value();
  return Tree;
}

std::optional<TNodeRef> FindLeafByFullName(const TCheckTree& Tree, const std::string& Name) {
  for (const TNodeRef& Ref : Leaves(Tree))
    if (FullName(Tree, Ref) == Name) return Ref;
  return std::nullopt;
}

bool ToggleCheck(TCheckTree& Tree, const TNodeRef& Ref, std::vector<std::string>& Active) {
  TCheckNode* Node = NodeAt(Tree, Ref);
  if (Node == nullptr || Node->IsGroup()) return false;
  Node->Checked = !Node->Checked;
  const std::string Name = FullName(Tree, Ref);
  if (Node->Checked) {
    Active.push_back(Name);
  } else if (auto At = IndexOfText(Active, Name)) {
    Active.erase(Active.begin() + static_cast<std::ptrdiff_t>(*At));
  }
  return true;
}

void SelectAllPresets(TCheckTree& Tree, const std::vector<std::string>& StyleNames,
                      std::vector<std::string>& Active) {
  for (TCheckNode& Node : Tree) Node.Checked = true;
  Active = StyleNames;
  Active.push_back(RandomPresetName);
}

std::string DefaultPresets(TCheckTree& Tree, std::vector<std::string>& Active) {
  bool Found = false;
  for (TCheckNode& Node : Tree) {
    Node.Checked = Node.Text == DefaultPresetName;
    Found = Found || Node.Checked;
  }
  Active = {DefaultPresetName};
  return Found ? DefaultPresetName : RandomPresetName;
}

std::string PresetForSelection(const TCheckTree& Tree, const std::optional<size_t>& Selected) {
  if (!Selected || *Selected >= Tree.size()) return RandomPresetName;
  return Tree[*Selected].Text;
}

void SelectAllBackgrounds(TCheckTree& Tree) {
  for (const TNodeRef& Ref : Leaves(Tree)) NodeAt(Tree, Ref)->Checked = true;
}

std::optional<TNodeRef> DefaultBackgrounds(TCheckTree& Tree) {
  std::optional<TNodeRef> Desktop;
  for (const TNodeRef& Ref : Leaves(Tree)) {
    TCheckNode* Node = NodeAt(Tree, Ref);
    Node->Checked = !Ref.Child && Node->Text == DesktopSnapshotBackground;
    if (Node->Checked) Desktop = Ref;
  }
  return Desktop;
}

std::vector<std::string> TickedBackgrounds(const TCheckTree& Tree) {
  std::vector<std::string> Result;
  for (const TNodeRef& Ref : Leaves(Tree))
    if (NodeAt(Tree, Ref)->Checked) Result.push_back(FullName(Tree, Ref));
  return Result;
}

std::optional<std::string> BackgroundToShow(const TCheckTree& Tree, const TNodeRef& Ref, const std::string& Current) {
  const TCheckNode* Node = NodeAt(Tree, Ref);
  if (Node == nullptr || Node->IsGroup()) return std::nullopt;
  std::string Name = FullName(Tree, Ref);
  if (Name == Current) return std::nullopt;
  return Name;
}

int NodeImageIndex(const TCheckNode& Node, bool Expanded, bool TreeEnabled) {
  const int Picture = Node.IsGroup() ? (Expanded ? 6 : 4) : (Node.Checked ? 2 : 0);
  return Picture + (TreeEnabled ? 0 : 1);
}

bool ClickTicks(bool HasNode, bool OnImage, bool IsGroup) { return HasNode && OnImage && !IsGroup; }

bool RefuseSelectionChange(bool LeftButtonDown, bool NodeUnderCursorIsTarget, bool OnImage, bool IsGroup) {
  return LeftButtonDown && NodeUnderCursorIsTarget && OnImage && !IsGroup;
}

int ChangePresetsPosition(int32_t ChangingDelay) {
  return std::clamp(ChangingDelay / 30, ChangePresetsMin, ChangePresetsMax);
}

int32_t ChangingDelayOf(int Position) { return Position * 30; }

std::string ChangePresetsCaption(int32_t ChangingDelay, const std::string& Separator) {
  // Shortest text that reads back as the same double: no trailing zeros.
  std::string Minutes = ShortestText(ChangingDelay / 60.0);
  ReplaceAll(Minutes, ".", Separator);
  return "Every " + Minutes + " minute(s)";
}

std::string AdvancedBackgroundText(const std::string& Folder) {
  return "You can use your own images as the flame background. For this, just place the *.jpg images to the "
         "following folder:\r\n" +
         Folder + "\r\n\r\nWould your like to open this folder now?";
}

std::string PrepareLabel(std::string Text, const std::string& VersionText) {
  ReplaceAll(Text, "/n", "\r\n");
  ReplaceAll(Text, "%ver%", VersionText);
  return Text;
}

TWindowPlace PreviewPlace(int ScreenWidth, int ScreenHeight, int WindowWidth, int WindowHeight) {
  TWindowPlace Place;
  Place.Left = ScreenWidth - WindowWidth - 10;
  Place.Top = ScreenHeight / 2 - WindowHeight;
  if (Place.Top < 10) Place.Top = 10;
  return Place;
}

}  // namespace emberdell
