// What the settings window's controls do to the settings, without a window:
// the two check-box trees and the active lists behind them, the selection
// guard, "Select All" and "Default", the style-changing captions and the
// placement of the floating preview. The host only turns clicks into these
// calls and their results into control states.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/shared/uText.h"

namespace emberdell {

// Negative, zero or positive like strcmp; the host passes the system's
// locale-aware comparison, tests a plain one.
using TTextCompare = std::function<int(const std::string&, const std::string&)>;

// Index of the first entry SameText-equal to Text.
std::optional<size_t> IndexOfText(const std::vector<std::string>& List, const std::string& Text);

// A node of either tree. Only top-level nodes of the background tree have
// children; such a group node carries no tick of its own.
struct TCheckNode {
  std::string Text;
  bool Checked = false;
  std::vector<TCheckNode> Children;
  bool IsGroup() const { return !Children.empty(); }
};

// Where a node sits: Top is the top-level index, Child the index under it or
// nothing for the top-level node itself.
struct TNodeRef {
  size_t Top = 0;
  std::optional<size_t> Child;
  bool operator==(const TNodeRef&) const = default;
};

using TCheckTree = std::vector<TCheckNode>;

const TCheckNode* NodeAt(const TCheckTree& Tree, const TNodeRef& Ref);
TCheckNode* NodeAt(TCheckTree& Tree, const TNodeRef& Ref);
// The name a leaf stands for in the active lists: its text, or under a group
// the group's text, " - " and its text.
std::string FullName(const TCheckTree& Tree, const TNodeRef& Ref);
// Every leaf in tree order (top-level leaves and the children of groups).
std::vector<TNodeRef> Leaves(const TCheckTree& Tree);
// FindChildNode: the first top-level node whose text is SameText-equal.
std::optional<size_t> FindTopNode(const TCheckTree& Tree, const std::string& Text);

// The style tree: one node per style name plus "(Random Preset)", sorted by
// Compare, each ticked when Active holds its text (regardless of case).
TCheckTree BuildPresetTree(std::vector<std::string> Names, const std::vector<std::string>& Active,
                           const TTextCompare& Compare);
// The background tree from the picture file names (with extension) plus the
// top-level "(Default) Desktop Snapshot", sorted at both levels; each leaf
// ticked when Active holds its full name (regardless of case).
TCheckTree BuildBackgroundCheckTree(const std::vector<std::string>& FileNames, const std::vector<std::string>& Active,
                                    const TTextCompare& Compare);
// The leaf whose full name equals Name exactly: the one FillLists selects.
std::optional<TNodeRef> FindLeafByFullName(const TCheckTree& Tree, const std::string& Name);

// A click on a node's check box: a group is not ticked. Otherwise the tick
// flips; a ticked name is appended to Active, an unticked one removes the
// first entry equal to it regardless of case. False when nothing changed.
bool ToggleCheck(TCheckTree& Tree, const TNodeRef& Ref, std::vector<std::string>& Active);

// "Select All" of the style group: every node ticked; the active list is
// every style name followed by "(Random Preset)".
void SelectAllPresets(TCheckTree& Tree, const std::vector<std::string>& StyleNames,
                      std::vector<std::string>& Active);
// "Default" of the style group: only "(Default) Wood" ticked and active.
// Returns the style the editor shows next: that style, or "(Random Preset)"
// when the tree has no such node, so the editor never acts on nothing.
std::string DefaultPresets(TCheckTree& Tree, std::vector<std::string>& Active);
// The style to load for a selection of the style tree; no selection shows a
// random style.
std::string PresetForSelection(const TCheckTree& Tree, const std::optional<size_t>& Selected);

// "Select All" / "Default" of the background group: every leaf ticked, or
// only "(Default) Desktop Snapshot" (returned, for selecting it).
void SelectAllBackgrounds(TCheckTree& Tree);
std::optional<TNodeRef> DefaultBackgrounds(TCheckTree& Tree);
// What ActiveBackgrounds becomes when the window closes: the full names of
// the ticked leaves in tree order.
std::vector<std::string> TickedBackgrounds(const TCheckTree& Tree);

// A background selection switches the preview when it is a leaf whose full
// name differs from the current background; the new name, or nothing.
std::optional<std::string> BackgroundToShow(const TCheckTree& Tree, const TNodeRef& Ref, const std::string& Current);

// Tree pictures: 0 empty box, 2 ticked box, 4 closed folder, 6 open folder,
// one more for the greyed picture of a disabled tree.
int NodeImageIndex(const TCheckNode& Node, bool Expanded, bool TreeEnabled);

// The check-box click and the selection guard: a press on a node's image
// ticks (leaves only) and must not also select the node.
bool ClickTicks(bool HasNode, bool OnImage, bool IsGroup);
bool RefuseSelectionChange(bool LeftButtonDown, bool NodeUnderCursorIsTarget, bool OnImage, bool IsGroup);

// The style-changing trackbar: positions 1..20 are 30 s steps.
inline constexpr int ChangePresetsMin = 1, ChangePresetsMax = 20;
int ChangePresetsPosition(int32_t ChangingDelay);  // delay div 30, kept within 1..20
int32_t ChangingDelayOf(int Position);              // position * 30
// "Every " + minutes as a general number with Separator, no trailing zeros,
// + " minute(s)": 90 s gives "Every 1.5 minute(s)".
std::string ChangePresetsCaption(int32_t ChangingDelay, const std::string& Separator);

// The text of the "Advanced..." question for the picture folder offered.
std::string AdvancedBackgroundText(const std::string& Folder);

// "Support and Feedback" text and version label with their markers replaced:
// "/n" becomes a line break, "%ver%" the version text.
std::string PrepareLabel(std::string Text, const std::string& VersionText);

// The floating preview: its right edge 10 pixels from the screen's right
// edge, its bottom edge at the middle of the screen but its top at least 10.
struct TWindowPlace {
  int Left = 0, Top = 0;
  bool operator==(const TWindowPlace&) const = default;
};
TWindowPlace PreviewPlace(int ScreenWidth, int ScreenHeight, int WindowWidth, int WindowHeight);

}  // namespace emberdell
