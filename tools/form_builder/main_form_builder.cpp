#include "form_builder/main_form_builder.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "app/main_form_layout.h"

namespace board {
namespace {

constexpr uint8_t kCharSetGb2312 = 134;
constexpr int kFontWeightNormal = 400;

uint32_t ContainerId(int container) {
  if (container == kInWindow) return 0;
  if (container == kInGroupBox) return kGroupBoxControlId;
  return kTabControlId;
}

std::string Gbk(const char* utf8) { return utf8 ? Utf8ToGbk(utf8) : std::string(); }

ControlRecord WindowRecord(std::span<const uint8_t> icoFile) {
  ControlRecord w;
  w.controlId = kMainWindowControlId;
  w.kind = kKindWindow;
  w.left = 50;
  w.top = 50;
  w.width = kMainWindowWidth;
  w.height = kMainWindowHeight;
  w.container = 0;
  for (const LayoutControl& c : kMainFormControls)
    if (c.container == kInWindow) w.children.push_back(c.controlId);
  w.cursor.assign(4, 0);
  w.flags = kFlagVisible;
  w.events = {{kEventWindowCreated, kHandlerFormCreated},
              {kEventWindowCloseQuery, kHandlerFormCloseQuery}};
  WindowKindData k;
  k.version = 6;
  int32_t* s = k.settings;
  s[kWinBorder] = 0;
  s[kWinPictureMode] = 0;
  s[kWinBackColour] = int32_t(0xFF000000u);
  s[kWinMaxButton] = 0;
  s[kWinMinButton] = 0;
  s[kWinControlBox] = 1;
  s[kWinStartPosition] = 1;
  s[kWinMovable] = 1;
  s[kWinMusicPlayCount] = 0;
  s[kWinEnterMovesFocus] = 0;
  s[kWinEscCloses] = 1;
  s[kWinF1Help] = 0;
  s[kWinHelpId] = 0;
  s[kWinInTaskbar] = 1;
  s[kWinDragAnywhere] = 0;
  s[kWinShape] = 0;
  s[kWinTopMost] = 0;
  s[kWinKeepCaptionActive] = 0;
  k.className.clear();
  k.icon.assign(icoFile.begin(), icoFile.end());
  k.caption = Gbk(kMainFormCaption);
  w.kindData = std::move(k);
  return w;
}

KindData ControlKindData(const LayoutControl& c) {
  switch (c.kind) {
    case kKindButton: {
      ButtonKindData b;
      b.version = 1;
      b.type = 0;
      b.hAlign = 1;
      b.vAlign = 1;
      b.caption = Gbk(c.text);
      return b;
    }
    case kKindTab: {
      TabKindData t;
      t.version = 3;
      t.headerPosition = 0;
      t.multiLine = 0;
      t.currentPage = 0;
      t.flag1 = 0;
      t.flag2 = 1;
      t.backColour = 0x0000FFFF;
      for (const char* title : kTabPageTitles) t.pageTitles.push_back(Gbk(title));
      return t;
    }
    case kKindTransLabel: {
      LabelKindData l;
      l.version = 1;
      l.setting0 = 0;
      l.textColour = int32_t(c.textColour);
      l.setting2 = 0;
      l.flag = 1;
      l.setting4 = 1;
      l.font = MakeLogFont(c.fontHeight, kFontWeightNormal, kCharSetGb2312, Gbk(c.fontFace));
      l.text = Gbk(c.text);
      return l;
    }
    default:  // the group box and the viewer keep their defaults
      return std::monostate();
  }
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == iconv_t(-1)) throw std::runtime_error("iconv: no UTF-8 to GBK conversion");
  std::string in(utf8);
  std::string out(in.size() * 2 + 4, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  if (r != size_t(-1)) r = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == size_t(-1) || inLeft != 0)
    throw std::runtime_error("iconv: text has no GBK form: " + std::string(utf8));
  out.resize(out.size() - outLeft);
  return out;
}

Blob MakeLogFont(int pixelHeight, int weight, uint8_t charSet, std::string_view faceGbk) {
  if (faceGbk.size() > 31) throw std::runtime_error("font face longer than 31 bytes");
  Blob f(60, 0);
  auto put32 = [&](size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(uint32_t(v) >> (8 * i));
  };
  put32(0, -pixelHeight);  // lfHeight: negative = character height in pixels
  put32(4, 0);             // lfWidth
  put32(8, 0);             // lfEscapement
  put32(12, 0);            // lfOrientation
  put32(16, weight);       // lfWeight
  f[20] = 0;               // lfItalic
  f[21] = 0;               // lfUnderline
  f[22] = 0;               // lfStrikeOut
  f[23] = charSet;         // lfCharSet
  f[24] = 0;               // lfOutPrecision: OUT_DEFAULT_PRECIS
  f[25] = 0;               // lfClipPrecision: CLIP_DEFAULT_PRECIS
  f[26] = 0;               // lfQuality: DEFAULT_QUALITY
  f[27] = 0;               // lfPitchAndFamily: DEFAULT_PITCH | FF_DONTCARE
  for (size_t i = 0; i < faceGbk.size(); ++i) f[28 + i] = uint8_t(faceGbk[i]);
  return f;
}

FormDescription BuildMainFormDescription(std::span<const uint8_t> icoFile) {
  FormDescription form;
  form.headerValue = kMainFormHeaderValue;
  form.formId = kMainFormId;
  for (int i = 0; i < 3; ++i) form.formWords[i] = kMainFormWords[i];
  form.records.push_back(WindowRecord(icoFile));

  for (size_t i = 0; i < kMainFormControls.size(); ++i) {
    const LayoutControl& c = kMainFormControls[i];
    ControlRecord r;
    r.controlId = c.controlId;
    r.kind = c.kind;
    r.name = Gbk(c.name);
    r.left = c.left;
    r.top = c.top;
    r.width = c.width;
    r.height = c.height;
    r.container = ContainerId(c.container);
    r.cursor.assign(4, 0);
    r.flags = (c.visible ? kFlagVisible : 0) | (c.kind == kKindButton ? kFlagTabStop : 0);
    if (c.kind == kKindButton) r.events = {{kEventButtonClick, HandlerOfControl(i)}};
    if (c.controlId == kGroupBoxControlId) {
      for (const LayoutControl& child : kMainFormControls)
        if (child.container == kInGroupBox) r.children.push_back(child.controlId);
    } else if (c.controlId == kTabControlId) {
      for (int page = 0; page < int(kPageCount); ++page) {
        for (const LayoutControl& child : kMainFormControls)
          if (child.container == page) r.children.push_back(child.controlId);
        r.children.push_back(0);
      }
    }
    r.kindData = ControlKindData(c);
    form.records.push_back(std::move(r));
  }
  return form;
}

}  // namespace board
