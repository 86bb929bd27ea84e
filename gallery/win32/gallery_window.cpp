#include "gallery/win32/gallery_window.h"

#include <commctrl.h>

#include <array>
#include <string>

#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_globals.h"
#include "skin/win32/skin_images.h"

namespace board {

namespace {

constexpr int kWidth = 960, kHeight = 600;

enum Slot : int {
  kEdit, kMultiEdit, kDropDown, kDropList, kListBox, kTreeView, kListView,
  kTrackbar, kTrackbarV, kProgress, kUpDown, kUpDownH, kBuddy, kBuddyUpDown,
  kCheck, kCheck2, kRadio, kRadio2, kPush, kDefault, kDisabled,
  kGroupBox, kGroupCheck, kGroupRadio, kTab, kTabButton, kTabCheck,
  kToolbar, kCalendar, kHeader, kStatus, kSlotCount
};

struct ControlSpec {
  const wchar_t* className;
  const wchar_t* text;
  DWORD style;
  int x, y, w, h;
  int parent = -1;  // a slot, or -1 for the window itself
};

// The gallery's controls, in creation order; children of the group box and the tab
// control lie in their parent's client coordinates.
const std::array<ControlSpec, kSlotCount> kControls = {{
    {L"Edit", L"Single-line edit", ES_AUTOHSCROLL | WS_TABSTOP, 16, 40, 280, 24},
    {L"Edit", L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 16, 72, 280, 110},
    {L"ComboBox", L"", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 16, 192, 135, 200},
    {L"ComboBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 161, 192, 135, 200},
    {L"ListBox", L"", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, 16, 226, 135, 120},
    {WC_TREEVIEWW, L"", TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | WS_TABSTOP, 161, 226, 135, 120},
    {WC_LISTVIEWW, L"", LVS_REPORT | WS_TABSTOP, 16, 356, 280, 150},
    {TRACKBAR_CLASSW, L"", TBS_AUTOTICKS | WS_TABSTOP, 320, 40, 220, 34},
    {TRACKBAR_CLASSW, L"", TBS_VERT | TBS_AUTOTICKS | WS_TABSTOP, 560, 36, 36, 150},
    {PROGRESS_CLASSW, L"", 0, 320, 86, 220, 18},
    {UPDOWN_CLASSW, L"", UDS_ARROWKEYS, 320, 116, 20, 44},
    {UPDOWN_CLASSW, L"", UDS_HORZ | UDS_ARROWKEYS, 352, 126, 44, 22},
    {L"Edit", L"42", ES_NUMBER | WS_TABSTOP, 412, 124, 90, 24},
    {UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0, 0, 0},
    {L"Button", L"Check box", BS_AUTOCHECKBOX | WS_TABSTOP, 320, 172, 130, 22},
    {L"Button", L"Another check box", BS_AUTOCHECKBOX | WS_TABSTOP, 320, 196, 130, 22},
    {L"Button", L"Radio one", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 460, 172, 130, 22},
    {L"Button", L"Radio two", BS_AUTORADIOBUTTON, 460, 196, 130, 22},
    {L"Button", L"Push", BS_PUSHBUTTON | WS_TABSTOP, 320, 228, 88, 28},
    {L"Button", L"Default", BS_DEFPUSHBUTTON | WS_TABSTOP, 416, 228, 88, 28},
    {L"Button", L"Disabled", BS_PUSHBUTTON | WS_DISABLED, 512, 228, 88, 28},
    {L"Button", L"Group box", BS_GROUPBOX, 320, 266, 280, 82},
    {L"Button", L"Inside a group", BS_AUTOCHECKBOX | WS_TABSTOP, 14, 24, 140, 22, kGroupBox},
    {L"Button", L"Grouped radio", BS_AUTORADIOBUTTON | WS_TABSTOP, 14, 50, 140, 22, kGroupBox},
    {WC_TABCONTROLW, L"", WS_TABSTOP, 320, 360, 280, 146},
    {L"Button", L"On a page", BS_PUSHBUTTON | WS_TABSTOP, 16, 40, 100, 28, kTab},
    {L"Button", L"Page option", BS_AUTOCHECKBOX | WS_TABSTOP, 16, 78, 140, 22, kTab},
    {TOOLBARCLASSNAMEW, L"", TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 624, 36, 320, 30},
    {MONTHCAL_CLASSW, L"", 0, 624, 76, 230, 170},
    {WC_HEADERW, L"", HDS_BUTTONS | HDS_HORZ, 624, 330, 320, 26},
    {STATUSCLASSNAMEW, L"Ready", 0, 0, 0, 0, 0},
}};

LRESULT CALLBACK GalleryWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wp, lp);
}

void AddColumn(HWND list, int index, const wchar_t* text, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(text);
  SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void AddRow(HWND list, int row, const wchar_t* name, const wchar_t* length) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(name);
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 1;
  item.pszText = const_cast<wchar_t*>(length);
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

HTREEITEM AddTreeItem(HWND tree, HTREEITEM parent, const wchar_t* text) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<wchar_t*>(text);
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// Sample contents, so every control shows what it looks like in use: text and item lists,
// ranges and checks, then the bars and the header.
void FillItems(const std::array<HWND, kSlotCount>& c) {
  SetWindowTextW(c[kMultiEdit], L"A multi-line edit\r\nwith scroll bars\r\nthird line\r\nfourth line\r\n"
                                L"fifth line, long enough to scroll sideways across the edit\r\nsixth line\r\nseventh line");
  for (const wchar_t* text : {L"Applause", L"Laughter", L"Siren", L"Horn"}) {
    SendMessageW(c[kDropDown], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(c[kDropList], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendMessageW(c[kDropDown], CB_SETCURSEL, 0, 0);
  SendMessageW(c[kDropList], CB_SETCURSEL, 2, 0);
  for (const wchar_t* text : {L"List box", L"Gunfire", L"Explosion", L"Bell", L"Whistle", L"Thunder", L"Rain", L"Wind"})
    SendMessageW(c[kListBox], LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageW(c[kListBox], LB_SETCURSEL, 1, 0);
  HTREEITEM root = AddTreeItem(c[kTreeView], TVI_ROOT, L"Tree view");
  for (const wchar_t* text : {L"Hosting", L"Battlefield", L"Music"}) AddTreeItem(c[kTreeView], root, text);
  HTREEITEM other = AddTreeItem(c[kTreeView], TVI_ROOT, L"Alarms");
  AddTreeItem(c[kTreeView], other, L"Sirens");
  SendMessageW(c[kTreeView], TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));

  AddColumn(c[kListView], 0, L"List view", 170);
  AddColumn(c[kListView], 1, L"Length", 80);
  const wchar_t* rows[][2] = {{L"Applause", L"3.2 s"}, {L"Laughter", L"2.5 s"}, {L"Police siren", L"4.0 s"},
                              {L"Air horn", L"1.1 s"}, {L"Thunder", L"5.3 s"}};
  for (int i = 0; i < 5; ++i) AddRow(c[kListView], i, rows[i][0], rows[i][1]);
}

void FillRangesAndChecks(const std::array<HWND, kSlotCount>& c) {
  SendMessageW(c[kTrackbar], TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageW(c[kTrackbar], TBM_SETTICFREQ, 10, 0);
  SendMessageW(c[kTrackbar], TBM_SETPOS, TRUE, 60);
  SendMessageW(c[kTrackbarV], TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageW(c[kTrackbarV], TBM_SETTICFREQ, 20, 0);
  SendMessageW(c[kTrackbarV], TBM_SETPOS, TRUE, 30);
  SendMessageW(c[kProgress], PBM_SETRANGE32, 0, 100);
  SendMessageW(c[kProgress], PBM_SETPOS, 65, 0);
  SendMessageW(c[kBuddyUpDown], UDM_SETBUDDY, reinterpret_cast<WPARAM>(c[kBuddy]), 0);
  SendMessageW(c[kBuddyUpDown], UDM_SETRANGE32, 0, 100);
  SendMessageW(c[kBuddyUpDown], UDM_SETPOS32, 0, 42);

  SendMessageW(c[kCheck], BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(c[kRadio], BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(c[kGroupCheck], BM_SETCHECK, BST_CHECKED, 0);

  for (const wchar_t* text : {L"Tab control", L"Sounds", L"About"}) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(text);
    SendMessageW(c[kTab], TCM_INSERTITEMW, SendMessageW(c[kTab], TCM_GETITEMCOUNT, 0, 0), reinterpret_cast<LPARAM>(&tab));
  }
}

void FillBarsAndHeader(const std::array<HWND, kSlotCount>& c) {
  SendMessageW(c[kToolbar], TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(c[kToolbar], TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  TBBUTTON buttons[] = {
      {STD_FILENEW, 1, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {STD_FILEOPEN, 2, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {STD_FILESAVE, 3, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
      {STD_CUT, 4, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {STD_COPY, 5, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {STD_PASTE, 6, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {STD_DELETE, 7, 0, BTNS_BUTTON, {}, 0, 0},
  };
  SendMessageW(c[kToolbar], TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));

  // A header of its own, with icons from its image list; the list owns its copies.
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
  ImageList_AddIcon(images, LoadIconW(nullptr, IDI_INFORMATION));
  ImageList_AddIcon(images, LoadIconW(nullptr, IDI_WARNING));
  SendMessageW(c[kHeader], HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  const wchar_t* columns[] = {L"Header", L"With icon", L"A caption too long for its item"};
  for (int i = 0; i < 3; ++i) {
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | (i == 1 ? HDI_IMAGE : 0);
    item.cxy = i == 2 ? 120 : 100;
    item.fmt = HDF_LEFT | HDF_STRING | (i == 1 ? HDF_IMAGE : 0);
    item.iImage = 0;
    item.pszText = const_cast<wchar_t*>(columns[i]);
    SendMessageW(c[kHeader], HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  int parts[] = {200, 520, -1};
  SendMessageW(c[kStatus], SB_SETPARTS, std::size(parts), reinterpret_cast<LPARAM>(parts));
  SendMessageW(c[kStatus], SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"Status bar: ready"));
  SendMessageW(c[kStatus], SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"Transparent over the picture"));
  SendMessageW(c[kStatus], SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(L"Skin gallery"));
}

std::array<HWND, kSlotCount>& Controls() {
  static std::array<HWND, kSlotCount> controls{};
  return controls;
}

}  // namespace

HWND CreateGalleryWindow(HINSTANCE instance, HFONT font) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES |
                                            ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES |
                                            ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = GalleryWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"SkinGalleryWindow";
  RegisterClassExW(&wc);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND window = CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, kGalleryTitle,
                                WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU,
                                x, y, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (!window) return nullptr;
  auto& c = Controls();
  for (int i = 0; i < kSlotCount; ++i) {
    const ControlSpec& s = kControls[size_t(i)];
    HWND parent = s.parent < 0 ? window : c[size_t(s.parent)];
    c[size_t(i)] = CreateWindowExW(0, s.className, s.text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | s.style, s.x,
                                   s.y, s.w, s.h, parent, reinterpret_cast<HMENU>(intptr_t(100 + i)), instance, nullptr);
    SendMessageW(c[size_t(i)], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  FillItems(c);
  FillRangesAndChecks(c);
  FillBarsAndHeader(c);
  SendMessageW(c[kStatus], WM_SIZE, 0, 0);  // the status bar lays itself along the bottom
  return window;
}

void SkinGalleryWindow(SkinEngine& skin, HWND window) {
  // The board's own set-up, with the skin's default theme colour and the control alpha
  // given, so the controls' washes and accents show.
  SkinMainWindow(skin, {.window = window,
                        .image = SkinImageFile(SkinImage::kBackground),
                        .faceColour = int32_t(GetSysColor(COLOR_BTNFACE)),
                        .themeColour = 0xDDCA22,
                        .controlAlpha = 160});
  const auto& c = Controls();
  SkinContainerWithFace(skin, c[kGroupBox]);
  // The tab control keeps its strip: laid over the picture, its page's controls skinned as a
  // container's. Its page and its front tab are drawn in the window colour, not the face
  // colour, so that is the colour keyed out.
  skin.SkinTransparentControl(c[kTab], Given(int32_t(GetSysColor(COLOR_WINDOW))), NotGiven());
  skin.SkinTransparentControl(c[kStatus], NotGiven(), NotGiven());
  skin.SkinTransparentControl(c[kToolbar], NotGiven(), NotGiven());
  skin.SkinTransparentControl(c[kCalendar], NotGiven(), NotGiven());
}

}  // namespace board
