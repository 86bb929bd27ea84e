#include "skin/win32/header_skin.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "skin/colour.h"
#include "skin/win32/control_family.h"
#include "skin/win32/pixel_cache.h"
#include "skin/win32/skin_drawing.h"

namespace board {

using gp::RectF;

namespace {

// An icon's pixels as 32-bit ARGB. It is drawn once on black and once on white: the
// difference is each pixel's coverage, so masked and alpha icons come out alike. Empty on
// failure.
Picture IconPixels(HICON icon, int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(info.bmiHeader), w, -h, 1, 32, BI_RGB};
  void* bits = nullptr;
  ScopedGetDc screen(nullptr);
  ScopedMemoryDc dc(CreateCompatibleDC(screen.get()));
  ScopedBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !dib || !bits) return {};
  ScopedSelectObject select(dc.get(), dib.get());
  auto* p = static_cast<uint32_t*>(bits);
  const size_t n = size_t(w) * size_t(h);
  std::vector<uint32_t> onBlack(n), pixels(n);
  for (uint32_t ground : {0xFF000000u, 0xFFFFFFFFu}) {
    std::fill(p, p + n, ground);
    DrawIconEx(dc.get(), 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
    GdiFlush();
    if (ground == 0xFF000000u) std::copy(p, p + n, onBlack.begin());
  }
  for (size_t i = 0; i < n; ++i) {
    const uint32_t b = onBlack[i], wh = p[i];
    const int alpha = std::clamp(255 - (int((wh >> 8) & 0xFF) - int((b >> 8) & 0xFF)), 0, 255);
    auto channel = [&](int shift) { return uint32_t(alpha ? std::min(255, int((b >> shift) & 0xFF) * 255 / alpha) : 0) << shift; };
    pixels[i] = (uint32_t(alpha) << 24) | channel(16) | channel(8) | channel(0);
  }
  return {w, h, std::move(pixels)};
}

}  // namespace

// A header's image list as the skin keeps it: a copy, and the icons it has drawn from it.
struct HeaderImages {
  HIMAGELIST source = nullptr, copy = nullptr;
  int width = 0, height = 0, count = 0;
  PixelCache<int> icons;  // by image index
  ~HeaderImages() {
    if (copy) ImageList_Destroy(copy);
  }
  // The pixels of image `index`, taken from the copy the first time; null when it has none.
  Picture* Icon(int index) {
    if (index < 0 || index >= count) return nullptr;
    return icons.Get(index, [&] {
      ScopedIcon icon(ImageList_GetIcon(copy, index, ILD_NORMAL));
      return icon ? IconPixels(icon.get(), width, height) : Picture{};
    });
  }
};

namespace {

// The copy is taken again when the header is given another list or its list changes size.
HeaderImages* ImagesOf(HWND control, SkinControlRecord& record) {
  auto source = reinterpret_cast<HIMAGELIST>(SendMessageW(control, HDM_GETIMAGELIST, 0, 0));
  if (!source) {
    record.headerImages.reset();
    return nullptr;
  }
  HeaderImages* kept = record.headerImages.get();
  if (!kept || kept->source != source || kept->count != ImageList_GetImageCount(source)) {
    auto images = std::make_shared<HeaderImages>();
    images->source = source;
    images->copy = ImageList_Duplicate(source);
    images->count = ImageList_GetImageCount(source);
    if (!images->copy || !ImageList_GetIconSize(images->copy, &images->width, &images->height) ||
        images->width <= 0 || images->height <= 0) {
      record.headerImages.reset();
      return nullptr;
    }
    record.headerImages = std::move(images);
  }
  return record.headerImages.get();
}

UINT AlignmentOf(int format) {
  switch (format & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: return DT_RIGHT;
    case HDF_CENTER: return DT_CENTER;
  }
  return DT_LEFT;
}

int ItemAt(HWND control, POINT p) {
  HDHITTESTINFO hit{};
  hit.pt = p;
  return int(SendMessageW(control, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) + 1;  // 0: none
}

}  // namespace

void PaintHeader(SkinEngine& engine, HWND control, HDC dc) {
  RECT client;
  GetClientRect(control, &client);
  FamilyMember member = FindMember(control, Family::kHeader);
  const int hotPart = member && member.record->hot ? member.record->hotPart : 0;
  const int pressedPart = member ? member.record->pressedPart : 0;
  HeaderImages* images = member ? ImagesOf(control, *member.record) : nullptr;
  const SkinSettings& s = engine.settings();

  struct Item {
    RECT box{};
    std::wstring caption;
    int format = 0, image = -1;
    RECT text{};  // where the caption goes, once the icon has its place
  };
  std::vector<Item> items(size_t(std::max(0, int(SendMessageW(control, HDM_GETITEMCOUNT, 0, 0)))));
  for (size_t i = 0; i < items.size(); ++i) {
    wchar_t caption[260] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.pszText = caption;
    item.cchTextMax = 260;
    if (!SendMessageW(control, HDM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&items[i].box)) ||
        !SendMessageW(control, HDM_GETITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item)))
      items[i].box = {};
    caption[259] = 0;
    items[i].caption = caption;
    items[i].format = item.fmt;
    items[i].image = item.fmt & HDF_IMAGE ? item.iImage : -1;
  }

  auto paint = [&](gp::Graphics& g, float w, float h) {
    g.FillRectangle(gp::SolidBrush(ToArgb(0xFFFFFF, s.controlAlpha)), RectF(0, 0, w, h));
    g.DrawLine(gp::Pen(ToArgb(0, 40)), 0, h - 0.5f, w, h - 0.5f);
    for (size_t i = 0; i < items.size(); ++i) {
      Item& item = items[i];
      const RectF box(float(item.box.left), float(item.box.top), float(item.box.right - item.box.left),
                      float(item.box.bottom - item.box.top));
      if (box.Width <= 0) continue;
      const bool pressed = pressedPart == int(i) + 1, hot = hotPart == int(i) + 1;
      if (pressed || hot)
        g.FillRectangle(gp::LinearGradientBrush::FromRect(box, ToArgb(s.themeColour, pressed ? 120 : 60),
                                                          ToArgb(s.themeColour, pressed ? 60 : 10),
                                                          Gdiplus::LinearGradientModeVertical),
                        box);
      // The separator: a dark line with a light one beside it, short of the edges.
      const float x = box.X + box.Width - 1;
      g.DrawLine(gp::Pen(ToArgb(0, 30)), x - 0.5f, box.Y + 3, x - 0.5f, box.Y + box.Height - 3);
      g.DrawLine(gp::Pen(ToArgb(0xFFFFFF, 120)), x + 0.5f, box.Y + 3, x + 0.5f, box.Y + box.Height - 3);

      const int shift = pressed ? 1 : 0;  // a pressed item's content sinks by a pixel
      int textLeft = item.box.left + 6;
      Picture* icon = images && images->width + 8 <= box.Width ? images->Icon(item.image) : nullptr;
      if (icon) {
        g.DrawImage(BitmapOver(*icon), RectF(box.X + 4 + shift, std::floor(box.Y + (box.Height - images->height) / 2) + shift,
                                  float(images->width), float(images->height)));
        textLeft = item.box.left + 4 + images->width + 4;
      }
      item.text = {textLeft + shift, item.box.top + shift, item.box.right - 6 + shift, item.box.bottom + shift};
    }
  };
  // The captions with GDI, in the header's own font, trimmed with an ellipsis.
  auto captions = [&](HDC target) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    ScopedSelectObject select(target, font ? HGDIOBJ(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, COLORREF(PropInt(control, kPropTextColour)));
    for (Item& item : items)
      if (!item.caption.empty() && item.text.right > item.text.left)
        DrawTextW(target, item.caption.c_str(), int(item.caption.size()), &item.text,
                  AlignmentOf(item.format) | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  };
  ComposeOverSkin(engine, control, dc, client, paint, captions);
}

// The record and with it the header's image copies go with the header (WM_NCDESTROY).
LRESULT CALLBACK HeaderWindowProc(HWND control, UINT message, WPARAM wp, LPARAM lp) {
  static constexpr SelfPainted kHeader{Family::kHeader, PaintHeader, false, PointerLook::kParts, ItemAt};
  return SelfPaintedProc(kHeader, control, message, wp, lp);
}

void InstallHeaders(SkinEngine& engine, int windowIndex, HWND parent) {
  if (!engine.settings().controlsEnabled || !parent) return;
  InstallFamily(engine, windowIndex, parent, WC_HEADERW, Family::kHeader, HeaderWindowProc);
  ForEachChildOfClass(parent, WC_LISTVIEWW, [&](HWND list) {
    InstallFamily(engine, windowIndex, list, WC_HEADERW, Family::kHeader, HeaderWindowProc);
  });
}

}  // namespace board
