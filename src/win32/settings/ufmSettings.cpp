#include "win32/settings/ufmSettings.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <mutex>

#include "core/engine/uBackgrounds.h"
#include "core/host/uGlobals.h"
#include "core/shared/uRandom.h"
#include "core/settings/uPresetEditor.h"
#include "core/styles/uPresets.h"
#include "core/styles/uStyleFolders.h"
#include "settings/SettingsIds.h"
#include "win32/dialogs/uAlphaPaintBoxes.h"
#include "win32/host/uDpi.h"
#include "win32/host/uSharedPresets.h"
#include "win32/host/uReduceMemory.h"
#include "win32/host/uShellUtils.h"
#include "win32/host/uVersionInfo.h"
#include "win32/host/uWinText.h"
#include "win32/host/ufmPreview.h"
#include "win32/settings/uScaledTicks.h"

namespace emberdell {

namespace {

constexpr wchar_t kSupportText[] =
    L"We hope this program is slightly more than just a screensaver. It can give you many interesting minutes "
    L"while playing with it. And we'd love to hear your comments on the Emberdell. This is the only way we can "
    L"perfect our product. So, with any questions, suggestions or concerns, please feel free to contact us using "
    L"the links below. Thank you!";
// The help page is installed in the program's folder, ProgramDir: the copy in
// the system folder finds it through "InstallDir" as it finds the styles. The
// feedback link is its section on writing to us.
constexpr wchar_t kHelpPage[] = L"Emberdell Help.html";

// Tabs in their order, with their pictures in the tab image strip.
struct TTabInfo {
  const wchar_t* Caption;
  int Image;
};
constexpr TTabInfo kTabs[] = {{L"Appearance", 2}, {L"Flame Styles", 3}, {L"Settings", 1}, {L"About", 0}};
constexpr int kPresetsPage = 1;

// The trees sort with the user's locale, as the system sorts names.
int LocaleCompare(const std::string& A, const std::string& B) {
  const std::wstring a = ToWide(A), b = ToWide(B);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                        static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

std::string DecimalSeparator() {
  wchar_t Buffer[8] = L".";
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, Buffer, 8) == 0) return ".";
  return ToUtf8(Buffer);
}

LPARAM PackRef(const TNodeRef& Ref) {
  return static_cast<LPARAM>(Ref.Top) << 16 | (Ref.Child ? static_cast<LPARAM>(*Ref.Child) + 1 : 0);
}
TNodeRef UnpackRef(LPARAM Packed) {
  TNodeRef Ref{static_cast<size_t>(Packed >> 16), std::nullopt};
  if ((Packed & 0xFFFF) != 0) Ref.Child = static_cast<size_t>((Packed & 0xFFFF) - 1);
  return Ref;
}

LPARAM ItemParam(HWND Tree, HTREEITEM Item) {
  TVITEMW Info{};
  Info.mask = TVIF_PARAM | TVIF_HANDLE;
  Info.hItem = Item;
  TreeView_GetItem(Tree, &Info);
  return Info.lParam;
}

// A strip of pictures drawn Width x Height each at 96 DPI, as an image list
// of pictures stretched to the screen's DPI. Each picture is stretched on its
// own, pixel for pixel (no blending), so that the magenta of the transparent
// parts stays exact and no picture bleeds into its neighbour.
HIMAGELIST ScaledImageList(HINSTANCE Instance, int Id, int Width, int Height, int Dpi) {
  const auto Strip = static_cast<HBITMAP>(
      LoadImageW(Instance, MAKEINTRESOURCEW(Id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (Strip == nullptr) return nullptr;
  BITMAP Info{};
  GetObjectW(Strip, sizeof Info, &Info);
  const int Count = std::max(1, int(Info.bmWidth) / Width);
  const int ScaledWidth = ScaleToDpi(Width, Dpi), ScaledHeight = ScaleToDpi(Height, Dpi);
  HIMAGELIST List = ImageList_Create(ScaledWidth, ScaledHeight, ILC_COLOR24 | ILC_MASK, Count, 0);
  HDC Screen = GetDC(nullptr);
  HDC From = CreateCompatibleDC(Screen), To = CreateCompatibleDC(Screen);
  HBITMAP Scaled = CreateCompatibleBitmap(Screen, ScaledWidth * Count, ScaledHeight);
  ReleaseDC(nullptr, Screen);
  const HGDIOBJ OldFrom = SelectObject(From, Strip), OldTo = SelectObject(To, Scaled);
  SetStretchBltMode(To, COLORONCOLOR);
  for (int i = 0; i < Count; ++i)
    StretchBlt(To, i * ScaledWidth, 0, ScaledWidth, ScaledHeight, From, i * Width, 0, Width, Height, SRCCOPY);
  SelectObject(From, OldFrom);
  SelectObject(To, OldTo);
  DeleteDC(From);
  DeleteDC(To);
  if (List != nullptr) ImageList_AddMasked(List, Scaled, RGB(255, 0, 255));
  DeleteObject(Scaled);
  DeleteObject(Strip);
  return List;
}

}  // namespace

TfmSettings::TfmSettings(HINSTANCE Instance, ISettingsWindowHost& Host, TfmPreview& Preview)
    : FInstance(Instance),
      FHost(Host),
      FPreview(Preview),
      FAppearance(*this),
      FSettingsPage(*this),
      FAbout(*this),
      FPresetsTab(Instance, *this),
      FSoundProperties(Instance, Host.FireSound(), Host.Chimes()),
      FExitingProperties(Instance),
      FPerformance(Instance, [&Host](uint32_t Ms) { Host.SetFrameInterval(Ms); }) {}

TfmSettings::~TfmSettings() {
  if (FTabImages) ImageList_Destroy(FTabImages);
  if (FTreeImages) ImageList_Destroy(FTreeImages);
  for (HFONT Font : {FLinkFont, FVersionFont})
    if (Font) DeleteObject(Font);
}

void TfmSettings::Execute(HWND Owner) {
  INITCOMMONCONTROLSEX Controls{sizeof Controls, ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&Controls);
  ShowModal(FInstance, MAKEINTRESOURCEW(IDD_SETTINGS), Owner);
}

INT_PTR TfmSettings::DialogProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_INITDIALOG:
      FormCreate();
      FormShow();
      // The page control starts with the focus: the arrow keys turn the pages.
      SetFocus(FTabs);
      return FALSE;
    case WM_CLOSE:
      if (FormClose()) EndDialog(Window, IDOK);
      return TRUE;
    case WM_DESTROY:
      FreeAlphaPaintBoxes(TAlphaForm::Settings, Window);
      return FALSE;
    case WM_LBUTTONDOWN:
      MouseDownToEasyMove();
      return TRUE;
    default:
      return PageProc(Window, Message, WParam, LParam);
  }
}

// Messages of the window and of its pages: controls report to the dialog
// they sit on, so both come here.
INT_PTR TfmSettings::PageProc(HWND Page, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_INITDIALOG:
      return FALSE;
    case WM_COMMAND:
      return Command(Page, LOWORD(WParam), HIWORD(WParam));
    case WM_NOTIFY:
      return Notify(Page, *reinterpret_cast<NMHDR*>(LParam));
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(LParam) == Item(Page, IDC_TBCHANGEPRESETS)) tbChangePresetsChange();
      return TRUE;
    case WM_LBUTTONDOWN:
      MouseDownToEasyMove();
      return TRUE;
    case WM_SETCURSOR: {
      const int Id = GetDlgCtrlID(reinterpret_cast<HWND>(WParam));
      if (Id == IDC_LINKHELP || Id == IDC_LINKFEEDBACK) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        SetWindowLongPtrW(Page, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CTLCOLORSTATIC: {
      const HDC Dc = reinterpret_cast<HDC>(WParam);
      const int Id = GetDlgCtrlID(reinterpret_cast<HWND>(LParam));
      if (Id == IDC_LINKHELP || Id == IDC_LINKFEEDBACK) {
        SetTextColor(Dc, RGB(0, 0, 255));
      } else if (Id == IDC_LB30SEC || Id == IDC_LB10MIN) {
        const bool Periodic = IsDlgButtonChecked(Page, IDC_CHANGEPERIODICALLY) == BST_CHECKED;
        SetTextColor(Dc, GetSysColor(Periodic ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
      } else {
        return FALSE;
      }
      SetBkMode(Dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DRAWITEM: {
      auto& Draw = *reinterpret_cast<DRAWITEMSTRUCT*>(LParam);
      if (AlphaPaintBoxPaint(Draw)) return TRUE;
      if (Draw.CtlID != IDC_LOGO) return FALSE;
      // The banner drawn at build time, stretched to the control; the larger
      // copy keeps it sharp from 144 DPI up.
      const RECT& R = Draw.rcItem;
      const int Width = R.right - R.left, Height = R.bottom - R.top;
      constexpr int LogoWidth = 447;
      const wchar_t* Name = Width * 4 > LogoWidth * 5 ? L"LOGO2X" : L"LOGO";
      const auto Logo = static_cast<HBITMAP>(LoadImageW(FInstance, Name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
      if (Logo != nullptr) {
        BITMAP Info{};
        GetObjectW(Logo, sizeof Info, &Info);
        HDC From = CreateCompatibleDC(Draw.hDC);
        const HGDIOBJ OldBitmap = SelectObject(From, Logo);
        SetStretchBltMode(Draw.hDC, HALFTONE);
        SetBrushOrgEx(Draw.hDC, 0, 0, nullptr);
        StretchBlt(Draw.hDC, R.left, R.top, Width, Height, From, 0, 0, Info.bmWidth, Info.bmHeight, SRCCOPY);
        SelectObject(From, OldBitmap);
        DeleteDC(From);
        DeleteObject(Logo);
      } else {
        FillRect(Draw.hDC, &R, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      }
      SetBkMode(Draw.hDC, TRANSPARENT);
      HGDIOBJ Old = SelectObject(Draw.hDC, FVersionFont);
      SetTextColor(Draw.hDC, RGB(255, 255, 255));
      RECT Version = R;
      Version.right -= Scale(8);
      Version.top += Scale(4);
      const std::wstring Label = ToWide(PrepareLabel("version %ver%", FVersionText));
      DrawTextW(Draw.hDC, Label.c_str(), -1, &Version, DT_RIGHT | DT_TOP | DT_SINGLELINE);
      SelectObject(Draw.hDC, Old);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

INT_PTR TfmSettings::Command(HWND Page, int Id, int Code) {
  switch (Id) {
    case IDOK:
    case IDCANCEL:  // OK is both the default and the cancel button
      if (FormClose()) EndDialog(FHandle, IDOK);
      return TRUE;
    case IDC_SHOWPREVIEW: cbShowPreviewClick(); return TRUE;
    case IDC_SELECTPRESETSALL: btnSelectPresetsClick(true); return TRUE;
    case IDC_SELECTPRESETSDEFAULT: btnSelectPresetsClick(false); return TRUE;
    case IDC_SELECTBACKGROUNDSALL: btnSelectBackgroundsClick(true); return TRUE;
    case IDC_SELECTBACKGROUNDSDEFAULT: btnSelectBackgroundsClick(false); return TRUE;
    case IDC_CHANGEONSTARTONLY:
    case IDC_CHANGEPERIODICALLY:
      if (Code == BN_CLICKED) rbPresetChanging();
      return TRUE;
    case IDC_ADVANCED: btnAdvancedClick(); return TRUE;
    case IDC_SCREENSHOTS: btnScreenshotsClick(); return TRUE;
    case IDC_PERFORMANCE:
      FPerformance.Execute(FHandle);
      ReduceMemory();
      return TRUE;
    case IDC_EXITING:
      FExitingProperties.Execute(FHandle);
      ReduceMemory();
      return TRUE;
    case IDC_SOUND:
      FSoundProperties.Execute(FHandle);
      ReduceMemory();
      return TRUE;
    case IDC_LINKHELP:
    case IDC_LINKFEEDBACK:
      if (Code == STN_CLICKED) lbURLClick(Id);
      return TRUE;
    default:
      (void)Page;
      return FALSE;
  }
}

INT_PTR TfmSettings::Notify(HWND Page, NMHDR& Header) {
  auto Result = [Page](LONG_PTR Value) {
    SetWindowLongPtrW(Page, DWLP_MSGRESULT, Value);
    return TRUE;
  };
  if (Header.hwndFrom == FTabs) {
    if (Header.code == TCN_SELCHANGING && FActivePage == kPresetsPage) FPresetsTab.AskSaveChangedPreset();  // tsPresetsHide
    if (Header.code == TCN_SELCHANGE) ShowPage(TabCtrl_GetCurSel(FTabs));
    return Result(FALSE);
  }
  if (Header.code == NM_CUSTOMDRAW && Header.hwndFrom == Item(FPages[0], IDC_TBCHANGEPRESETS))
    return Result(TrackbarTicksDraw(reinterpret_cast<const NMCUSTOMDRAW&>(Header), FDpi));
  if (Header.hwndFrom != FTvPresets && Header.hwndFrom != FTvBackgrounds) return FALSE;
  HWND Tree = Header.hwndFrom;
  switch (Header.code) {
    case NM_CLICK:
      // A tick is the whole effect of the click: trees that select only
      // after reporting the click are told not to.
      return Result(tvClick(Tree) ? TRUE : FALSE);
    case TVN_SELCHANGINGW:
      return Result(TreeViewChanging(Tree, reinterpret_cast<NMTREEVIEWW&>(Header)) ? TRUE : FALSE);
    case TVN_SELCHANGEDW:
      if (Tree == FTvPresets) {
        tvPresetsChange(reinterpret_cast<NMTREEVIEWW&>(Header));
      } else {
        tvBackgroundsChange(reinterpret_cast<NMTREEVIEWW&>(Header));
      }
      return Result(0);
    case TVN_GETDISPINFOW:
      TreeGetImageIndex(Tree, reinterpret_cast<NMTVDISPINFOW&>(Header));
      return Result(0);
    case TVN_ITEMEXPANDEDW:
      InvalidateRect(Tree, nullptr, TRUE);  // tvBackgroundsCollapsedExpanded
      return Result(0);
    default:
      return FALSE;
  }
}

void TfmSettings::FormCreate() {
  FDpi = LayoutDpi();
  FVersionText = VersionText;
  // Its own taskbar button, though the window is owned by the hidden main form.
  SetWindowLongPtrW(FHandle, GWL_EXSTYLE, GetWindowLongPtrW(FHandle, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  FTabs = GetDlgItem(FHandle, IDC_PAGES);
  FTabImages = ScaledImageList(FInstance, IDB_TABIMAGES, 20, 20, FDpi);
  TabCtrl_SetImageList(FTabs, FTabImages);
  for (int i = 0; i < 4; ++i) {
    TCITEMW Tab{};
    Tab.mask = TCIF_TEXT | TCIF_IMAGE;
    Tab.pszText = const_cast<wchar_t*>(kTabs[i].Caption);
    Tab.iImage = kTabs[i].Image;
    TabCtrl_InsertItem(FTabs, i, &Tab);
  }
  // Tabs 26 pixels high; the width stays the caption's.
  SendMessageW(FTabs, TCM_SETITEMSIZE, 0, MAKELPARAM(0, Scale(26)));
  CreatePages();

  FTreeImages = ScaledImageList(FInstance, IDB_TREEIMAGES, 16, 16, FDpi);
  FTvPresets = Item(FPages[0], IDC_TVPRESETS);
  FTvBackgrounds = Item(FPages[0], IDC_TVBACKGROUNDS);
  for (HWND Tree : {FTvPresets, FTvBackgrounds}) {
    TreeView_SetImageList(Tree, FTreeImages, TVSIL_NORMAL);
    TreeView_SetIndent(Tree, Scale(19));
  }
  HWND Track = Item(FPages[0], IDC_TBCHANGEPRESETS);
  SendMessageW(Track, TBM_SETRANGE, TRUE, MAKELPARAM(ChangePresetsMin, ChangePresetsMax));
  SendMessageW(Track, TBM_SETTICFREQ, 1, 0);
  // The arrow keys move ten positions, Page Up and Page Down one.
  SendMessageW(Track, TBM_SETLINESIZE, 0, 10);
  SendMessageW(Track, TBM_SETPAGESIZE, 0, 1);

  // The group icons, in boxes that blend them over the pages.
  SetupAlphaPaintBoxes(TAlphaForm::Settings, FHandle, FInstance);

  LOGFONTW Font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(FHandle, WM_GETFONT, 0, 0)), sizeof Font, &Font);
  Font.lfWeight = FW_BOLD;
  FVersionFont = CreateFontIndirectW(&Font);
  Font.lfUnderline = TRUE;
  FLinkFont = CreateFontIndirectW(&Font);
  for (int Id : {IDC_LINKHELP, IDC_LINKFEEDBACK})
    SendMessageW(Item(FPages[3], Id), WM_SETFONT, reinterpret_cast<WPARAM>(FLinkFont), FALSE);
  PrepareLabels();
  SetHints();
  // The taskbar button and the task switcher show the program's icon.
  const auto SetIcon = [this](WPARAM Kind, int Size) {
    SendMessageW(FHandle, WM_SETICON, Kind,
                 reinterpret_cast<LPARAM>(LoadImageW(FInstance, L"MAINICON", IMAGE_ICON, Size, Size, LR_SHARED)));
  };
  SetIcon(ICON_BIG, GetSystemMetrics(SM_CXICON));
  SetIcon(ICON_SMALL, GetSystemMetrics(SM_CXSMICON));
}

void TfmSettings::CreatePages() {
  RECT Area;
  GetWindowRect(FTabs, &Area);
  MapWindowPoints(nullptr, FHandle, reinterpret_cast<POINT*>(&Area), 2);
  TabCtrl_AdjustRect(FTabs, FALSE, &Area);
  FPages = {FAppearance.Create(FInstance, IDD_APPEARANCE, FHandle), FPresetsTab.Create(FHandle, Area),
            FSettingsPage.Create(FInstance, IDD_SETTINGSPAGE, FHandle), FAbout.Create(FInstance, IDD_ABOUT, FHandle)};
  for (HWND Page : FPages)
    if (Page != nullptr)
      SetWindowPos(Page, HWND_TOP, Area.left, Area.top, Area.right - Area.left, Area.bottom - Area.top,
                   SWP_HIDEWINDOW);
  ShowPage(0);
}

void TfmSettings::ShowPage(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FPages.size())) return;
  FActivePage = Index;
  TabCtrl_SetCurSel(FTabs, Index);
  for (size_t i = 0; i < FPages.size(); ++i)
    if (FPages[i] != nullptr) ShowWindow(FPages[i], static_cast<int>(i) == Index ? SW_SHOW : SW_HIDE);
}

void TfmSettings::SetHints() {
  FHints.Create(FHandle, FInstance, false, Scale(400));
  const HWND A = FPages[0], S = FPages[2], About = FPages[3];
  FHints.Add(Item(FHandle, IDC_SHOWPREVIEW), L"Show real-time preset preview");
  FHints.Add(FTvBackgrounds, L"Click on background name to preview; check it to use in the full-screen mode");
  FHints.Add(A, {{IDC_SELECTBACKGROUNDSALL, L"Check all backgrounds"},
                 {IDC_SELECTBACKGROUNDSDEFAULT, L"Restore defaults"},
                 {IDC_ADVANCED, L"Add user's backgrounds"}});
  FHints.Add(FTvPresets, L"Click on flame style to preview; check it to use in the full-screen mode");
  FHints.Add(A, {{IDC_SELECTPRESETSALL, L"Check all flame styles"},
                 {IDC_SELECTPRESETSDEFAULT, L"Restore defaults"},
                 {IDC_CHANGEONSTARTONLY, L"Change flame styles on the screensaver startup only"},
                 {IDC_CHANGEPERIODICALLY, L"Change flame styles periodically during execution"},
                 {IDC_TBCHANGEPRESETS, L"Flame styles changing period"}});
  FHints.Add(S, {{IDC_EXITING, L"Open dialog for Emberdell exiting adjustment"},
                 {IDC_SOUND, L"Open dialog of Emberdell sound settings"},
                 {IDC_PERFORMANCE, L"Adjust Emberdell performance"},
                 {IDC_SCREENSHOTS, L"Open folder with your Emberdell screenshots"}});
  FHints.Add(About, {{IDC_LINKHELP, L"Write us!"}, {IDC_LINKFEEDBACK, L"Write us!"}});
}

void TfmSettings::PrepareLabels() {
  SetDlgItemTextW(FPages[3], IDC_SUPPORTTEXT, ToWide(PrepareLabel(ToUtf8(kSupportText), FVersionText)).c_str());
}

void TfmSettings::FormShow() {
  FHost.CurrentBackground() = RandomActiveBackground(Settings.ActiveBackgrounds);
  FHost.RestartPreview(FPreview.Handle());
  FillLists();
  SetWindowTextW(FHandle, L"Emberdell Screensaver");
  FPresetsTab.ResetPresetChanged();
  FPresetsTab.UpdateDeleteButton();
  ReduceMemory();
}

HTREEITEM TfmSettings::ItemOf(HWND Tree, const TNodeRef& Ref) const {
  const LPARAM Wanted = PackRef(Ref);
  for (HTREEITEM Top = TreeView_GetRoot(Tree); Top != nullptr; Top = TreeView_GetNextSibling(Tree, Top)) {
    if (ItemParam(Tree, Top) == Wanted) return Top;
    for (HTREEITEM Child = TreeView_GetChild(Tree, Top); Child != nullptr; Child = TreeView_GetNextSibling(Tree, Child))
      if (ItemParam(Tree, Child) == Wanted) return Child;
  }
  return nullptr;
}

void TfmSettings::FillTree(HWND Tree, const TCheckTree& Model) {
  const bool WasFilling = FFilling;
  FFilling = true;
  SendMessageW(Tree, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(Tree);
  for (size_t i = 0; i < Model.size(); ++i) {
    TVINSERTSTRUCTW Insert{};
    Insert.hParent = TVI_ROOT;
    Insert.hInsertAfter = TVI_LAST;
    Insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    const std::wstring Text = ToWide(Model[i].Text);
    Insert.item.pszText = const_cast<wchar_t*>(Text.c_str());
    Insert.item.iImage = Insert.item.iSelectedImage = I_IMAGECALLBACK;
    Insert.item.lParam = PackRef({i, std::nullopt});
    HTREEITEM Top = TreeView_InsertItem(Tree, &Insert);
    for (size_t j = 0; j < Model[i].Children.size(); ++j) {
      const std::wstring ChildText = ToWide(Model[i].Children[j].Text);
      Insert.hParent = Top;
      Insert.item.pszText = const_cast<wchar_t*>(ChildText.c_str());
      Insert.item.lParam = PackRef({i, j});
      TreeView_InsertItem(Tree, &Insert);
    }
    if (Model[i].IsGroup()) TreeView_Expand(Tree, Top, TVE_EXPAND);
  }
  SendMessageW(Tree, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Tree, nullptr, TRUE);
  FFilling = WasFilling;
}

void TfmSettings::SelectItem(HWND Tree, HTREEITEM Item) {
  TreeView_SelectItem(Tree, Item);
  TreeView_EnsureVisible(Tree, Item != nullptr ? Item : TreeView_GetRoot(Tree));
}

void TfmSettings::FillLists() {
  const std::vector<std::string> Names = GetPresetNames(PresetFolders());
  FPresetTree = BuildPresetTree(Names, Settings.ActivePresets, LocaleCompare);
  FillTree(FTvPresets, FPresetTree);
  FPresetsTab.FillList(Names);
  std::string Current;
  {
    std::lock_guard<std::mutex> Guard(PresetLock);
    Current = EntryOfStoredName(Names, PresetName(CurrentPreset));
  }
  HTREEITEM Selected = nullptr;
  for (size_t i = 0; i < FPresetTree.size() && !Current.empty(); ++i)
    if (FPresetTree[i].Text == Current) Selected = ItemOf(FTvPresets, {i, std::nullopt});
  // Selecting loads the style into the editor, as a click on it would.
  if (Selected != nullptr) {
    SelectItem(FTvPresets, Selected);
  } else {
    TreeView_EnsureVisible(FTvPresets, TreeView_GetRoot(FTvPresets));
    FPresetsTab.ShowPreset();
  }

  const HWND A = FPages[0];
  CheckRadioButton(A, IDC_CHANGEONSTARTONLY, IDC_CHANGEPERIODICALLY,
                   Settings.ChangeOnStartup ? IDC_CHANGEONSTARTONLY : IDC_CHANGEPERIODICALLY);
  rbPresetChanging();
  SendMessageW(Item(A, IDC_TBCHANGEPRESETS), TBM_SETPOS, TRUE, ChangePresetsPosition(Settings.ChangingDelay));
  tbChangePresetsChange();

  ShowPage(0);
  CheckDlgButton(FHandle, IDC_SHOWPREVIEW, Settings.ShowPreview ? BST_CHECKED : BST_UNCHECKED);
  cbShowPreviewClick();

  FBackgroundTree = BuildBackgroundCheckTree(BackgroundFileNames(BackgroundFolders()), Settings.ActiveBackgrounds,
                                             LocaleCompare);
  FillTree(FTvBackgrounds, FBackgroundTree);
  const auto Leaf = FindLeafByFullName(FBackgroundTree, FHost.CurrentBackground());
  FFilling = true;  // the preview already burns this background
  SelectItem(FTvBackgrounds, Leaf ? ItemOf(FTvBackgrounds, *Leaf) : nullptr);
  FFilling = false;
}

bool TfmSettings::tvClick(HWND Tree) {
  TVHITTESTINFO Hit{};
  GetCursorPos(&Hit.pt);
  ScreenToClient(Tree, &Hit.pt);
  HTREEITEM Node = TreeView_HitTest(Tree, &Hit);
  TCheckTree& Model = Tree == FTvPresets ? FPresetTree : FBackgroundTree;
  const TNodeRef Ref = UnpackRef(Node != nullptr ? ItemParam(Tree, Node) : 0);
  const TCheckNode* Target = Node != nullptr ? NodeAt(Model, Ref) : nullptr;
  if (!ClickTicks(Target != nullptr, (Hit.flags & TVHT_ONITEMICON) != 0, Target != nullptr && Target->IsGroup()))
    return false;
  ToggleCheck(Model, Ref, Tree == FTvPresets ? Settings.ActivePresets : Settings.ActiveBackgrounds);
  InvalidateRect(Tree, nullptr, TRUE);
  return true;
}

bool TfmSettings::TreeViewChanging(HWND Tree, const NMTREEVIEWW& Change) {
  if (FFilling) return false;
  TVHITTESTINFO Hit{};
  GetCursorPos(&Hit.pt);
  ScreenToClient(Tree, &Hit.pt);
  HTREEITEM Under = TreeView_HitTest(Tree, &Hit);
  const TCheckTree& Model = Tree == FTvPresets ? FPresetTree : FBackgroundTree;
  const TCheckNode* Target =
      Change.itemNew.hItem != nullptr ? NodeAt(Model, UnpackRef(ItemParam(Tree, Change.itemNew.hItem))) : nullptr;
  return RefuseSelectionChange(GetAsyncKeyState(VK_LBUTTON) != 0, Under != nullptr && Under == Change.itemNew.hItem,
                               (Hit.flags & TVHT_ONITEMICON) != 0, Target != nullptr && Target->IsGroup());
}

void TfmSettings::tvPresetsChange(const NMTREEVIEWW& Change) {
  if (FFilling) return;
  std::optional<size_t> Selected;
  if (Change.itemNew.hItem != nullptr) Selected = UnpackRef(ItemParam(FTvPresets, Change.itemNew.hItem)).Top;
  FPresetsTab.SelectPreset(PresetForSelection(FPresetTree, Selected));
}

void TfmSettings::tvBackgroundsChange(const NMTREEVIEWW& Change) {
  if (FFilling || Change.itemNew.hItem == nullptr) return;
  const TNodeRef Ref = UnpackRef(ItemParam(FTvBackgrounds, Change.itemNew.hItem));
  if (const auto Name = BackgroundToShow(FBackgroundTree, Ref, FHost.CurrentBackground())) {
    FHost.CurrentBackground() = *Name;
    FHost.RestartPreview(FPreview.Handle());
  }
}

void TfmSettings::TreeGetImageIndex(HWND Tree, NMTVDISPINFOW& Info) {
  if ((Info.item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) == 0) return;
  const TCheckTree& Model = Tree == FTvPresets ? FPresetTree : FBackgroundTree;
  const TCheckNode* Node = NodeAt(Model, UnpackRef(Info.item.lParam));
  if (Node == nullptr) return;
  const bool Expanded = (TreeView_GetItemState(Tree, Info.item.hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  Info.item.iImage = Info.item.iSelectedImage = NodeImageIndex(*Node, Expanded, IsWindowEnabled(Tree) != FALSE);
}

void TfmSettings::btnSelectPresetsClick(bool All) {
  if (All) {
    SelectAllPresets(FPresetTree, GetPresetNames(PresetFolders()), Settings.ActivePresets);
  } else {
    const std::string Name = DefaultPresets(FPresetTree, Settings.ActivePresets);
    const auto Node = FindTopNode(FPresetTree, Name);
    FFilling = true;
    SelectItem(FTvPresets, Node && Name != RandomPresetName ? ItemOf(FTvPresets, {*Node, std::nullopt}) : nullptr);
    FFilling = false;
    FPresetsTab.SelectPreset(Name);
  }
  TreeView_EnsureVisible(FTvPresets, TreeView_GetSelection(FTvPresets) ? TreeView_GetSelection(FTvPresets)
                                                                       : TreeView_GetRoot(FTvPresets));
  InvalidateRect(FTvPresets, nullptr, TRUE);
}

void TfmSettings::btnSelectBackgroundsClick(bool All) {
  if (All) {
    SelectAllBackgrounds(FBackgroundTree);
  } else if (const auto Desktop = DefaultBackgrounds(FBackgroundTree)) {
    SelectItem(FTvBackgrounds, ItemOf(FTvBackgrounds, *Desktop));
  }
  TreeView_EnsureVisible(FTvBackgrounds, TreeView_GetSelection(FTvBackgrounds)
                                             ? TreeView_GetSelection(FTvBackgrounds)
                                             : TreeView_GetRoot(FTvBackgrounds));
  InvalidateRect(FTvBackgrounds, nullptr, TRUE);
}

void TfmSettings::rbPresetChanging() {
  const HWND A = FPages[0];
  const bool Periodic = IsDlgButtonChecked(A, IDC_CHANGEPERIODICALLY) == BST_CHECKED;
  Settings.ChangeOnStartup = !Periodic;
  EnableWindow(Item(A, IDC_TBCHANGEPRESETS), Periodic);
  InvalidateRect(Item(A, IDC_LB30SEC), nullptr, TRUE);
  InvalidateRect(Item(A, IDC_LB10MIN), nullptr, TRUE);
}

void TfmSettings::tbChangePresetsChange() {
  const HWND A = FPages[0];
  const int Position = static_cast<int>(SendMessageW(Item(A, IDC_TBCHANGEPRESETS), TBM_GETPOS, 0, 0));
  Settings.ChangingDelay = ChangingDelayOf(Position);
  SetDlgItemTextW(A, IDC_CHANGEPERIODICALLY,
                  ToWide(ChangePresetsCaption(Settings.ChangingDelay, DecimalSeparator())).c_str());
}

void TfmSettings::btnAdvancedClick() {
  // The program's picture folder, or the user's own when that cannot be written.
  const std::string Folder = AdvancedBackgroundFolder();
  const std::wstring Text = ToWide(AdvancedBackgroundText(Folder));
  if (MessageBoxW(FHandle, Text.c_str(), L"Advanced Background", MB_YESNO | MB_ICONINFORMATION) == IDYES)
    ShellExecuteW(FHandle, L"open", ToWide(Folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TfmSettings::btnScreenshotsClick() {
  if (ScreenshotDir.empty()) return;
  const std::wstring Folder = ToWide(ScreenshotDir);
  SHCreateDirectoryExW(nullptr, Folder.c_str(), nullptr);
  ShellExecuteW(FHandle, L"open", Folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  ReduceMemory();
}

void TfmSettings::cbShowPreviewClick() {
  const bool Show = IsDlgButtonChecked(FHandle, IDC_SHOWPREVIEW) == BST_CHECKED;
  if (FPreview.Handle() != nullptr) ShowWindow(FPreview.Handle(), Show ? SW_SHOWNOACTIVATE : SW_HIDE);
  Settings.ShowPreview = Show;
  SetForegroundWindow(FHandle);
}

void TfmSettings::PreviewHidden() {
  CheckDlgButton(FHandle, IDC_SHOWPREVIEW, BST_UNCHECKED);
  cbShowPreviewClick();
}

void TfmSettings::lbURLClick(int Id) {
  std::wstring Link = ToWide(Settings.ProgramDir) + kHelpPage;
  if (Id == IDC_LINKFEEDBACK) Link += L"#feedback";
  OpenLink(Link);
  ReduceMemory();
}

void TfmSettings::MouseDownToEasyMove() { emberdell::MouseDownToEasyMove(FHandle); }

bool TfmSettings::FormClose() {
  // The save waits for the settings lock with the window still painting and
  // moving; a second close meanwhile (the close box) belongs to the first.
  if (FClosing) return false;
  FClosing = true;
  struct TDone {
    bool& Flag;
    ~TDone() { Flag = false; }
  } Done{FClosing};
  Settings.ActiveBackgrounds = TickedBackgrounds(FBackgroundTree);
  FPresetsTab.AskSaveChangedPreset();
  // A file that cannot be written must not keep the user in the window:
  // Retry tries again (after the user freed the disk or the file), Cancel
  // closes without saving. The file is as it was either way.
  for (;;) {
    const TStoreResult Saved = FHost.SaveAllSettings();
    if (Saved || MessageBoxW(FHandle, ToWide(Saved.Message).c_str(), L"Emberdell Screensaver",
                             MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY)
      return true;
  }
}

void TfmSettings::PresetAdded(const std::string& Name) {
  FPresetTree.push_back(TCheckNode{Name, false, {}});
  std::stable_sort(FPresetTree.begin(), FPresetTree.end(),
                   [](const TCheckNode& A, const TCheckNode& B) { return LocaleCompare(A.Text, B.Text) < 0; });
  FillTree(FTvPresets, FPresetTree);
  if (const auto Node = FindTopNode(FPresetTree, Name)) SelectItem(FTvPresets, ItemOf(FTvPresets, {*Node, std::nullopt}));
}

void TfmSettings::PresetDeleted(const std::string& Name) {
  if (const auto Node = FindTopNode(FPresetTree, Name)) {
    FPresetTree.erase(FPresetTree.begin() + static_cast<std::ptrdiff_t>(*Node));
    // Rebuilding moves the selection; the editor chooses the next style itself.
    FillTree(FTvPresets, FPresetTree);
  }
  if (const auto At = IndexOfText(Settings.ActivePresets, Name))
    Settings.ActivePresets.erase(Settings.ActivePresets.begin() + static_cast<std::ptrdiff_t>(*At));
}

void TfmSettings::PresetChosen(const std::string& Name) {
  if (const auto Node = FindTopNode(FPresetTree, Name)) SelectItem(FTvPresets, ItemOf(FTvPresets, {*Node, std::nullopt}));
}

}  // namespace emberdell
