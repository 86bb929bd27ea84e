// The skin engine: gives a borderless top-level window a drawn frame (background picture,
// rounded double border, icon and outlined title, five caption buttons with tooltips and a
// hover fade), moves and resizes it on presses, keeps it off the taskbar when maximised,
// and answers its controls' colour messages. One engine per process; every skinned window
// is subclassed with one window procedure that reaches it.
//
// Threads: everything runs on the GUI thread that owns the windows; the only other thread
// is the one the deactivation handler may start, which touches no skin state.
#pragma once
#include <windows.h>

#include <cstdint>
#include <array>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/win32/scoped_win.h"
#include "skin/background_layout.h"
#include "skin/caption_strip.h"
#include "skin/win32/control_records.h"
#include "skin/win32/skin_drawing.h"

namespace board {

// An optional argument of a skin operation: a value, or not given (which takes the
// operation's default, distinct from a zero).
using OptInt = std::optional<int32_t>;
constexpr OptInt Given(int32_t v) { return v; }
constexpr OptInt NotGiven() { return std::nullopt; }

// The optional settings of AttachWindow, in the order the caller gives them.
struct AttachWindowOptions {
  OptInt interactive;   // hover, caption buttons, dragging and resizing act (default 1)
  OptInt captionDrag;   // presses in the caption band move the window (default 1)
  OptInt optionA, optionB;  // accepted and ignored: no painter reads them
  OptInt showTitle;     // the caption shows the window's title (default 1)
  OptInt captionGloss;  // a white gloss over the caption band (default 0)
  OptInt itemCount;     // items of the item strip along the bottom (default 0)
  std::vector<std::wstring> itemTexts;  // their texts
  std::span<const uint8_t> image;  // the window's own picture (default: the shared one)
  OptInt imageMode;     // layout of the window's own picture (default: the shared mode)
};

// The pictures of the caption buttons (PNG files) and the program icon.
struct SkinArt {
  std::span<const uint8_t> help, menu, minimise, maximise, restore, close;
  HICON appIcon = nullptr;  // not owned
};

// The theme colour given to SetSkinImage that makes the theme follow the face colour.
constexpr int32_t kThemeFollowsFace = -1;

// Process-wide settings.
struct SkinSettings {
  int firstSize = 1;
  int controlsEnabled = 1;
  int controlAlpha = 160;
  int controlOption = 1;
  int controlAlphaGiven = 0;
  COLORREF themeColour = 0xDDCA22;
  COLORREF faceColour = 0;
  ImageMode imageMode = kImageTiled;
  std::vector<uint8_t> skinImage;  // the prepared shared picture (an image file)
};

class DecodedImage;

// The default buttons take their pictures by kind from the engine's decoded glyphs (or
// the window's own, SetCaptionButtonImages), decoded once rather than per button and
// paint; only a custom button carries a picture.
struct CaptionButton {
  int width = 26, height = kCaptionButtonHeight;
  CaptionKind kind = CaptionKind::kCustom;
  std::wstring tooltip;
  std::function<void()> handler;
  BoxF box;
  std::shared_ptr<const DecodedImage> glyph;  // a custom button's own picture
};

// The look of a window's title; a field not given keeps its value.
struct TitleStyle {
  const wchar_t* fontName = nullptr;
  OptInt titleColour, outlineColour, fontSize, outlineWidth;
};

struct SkinWindow;

// The size and picture a window's composed background belongs to.
struct ComposedKey {
  int width = 0, height = 0;
  unsigned pictureGeneration = 0;
  bool operator==(const ComposedKey&) const = default;
};

class SkinEngine {
 public:
  // The engine makes no GDI+ call until a window is attached; GDI+ must be running by then.
  explicit SkinEngine(SkinArt art = {});
  ~SkinEngine();
  // Not copyable: the one engine owns its windows' records and their GDI objects, and a
  // copy would free them a second time.
  SkinEngine(const SkinEngine&) = delete;
  SkinEngine& operator=(const SkinEngine&) = delete;

  // Called when the application is deactivated (the working-set trimmer, say). The skin
  // starts no thread of its own: the trimmer lives in another layer, which the program joins.
  void SetDeactivateHandler(std::function<void()> handler) { onDeactivate_ = std::move(handler); }

  bool SetSkinImage(const wchar_t* fileName, std::span<const uint8_t> image, OptInt faceColour,
                    OptInt themeColour, OptInt mode);
  // Starts decoding one of the program's own stored pictures, and scaling it at high quality
  // to width × height, on a thread of its own while the caller builds its window; a later
  // SetSkinImage of the same bytes takes the result. Other bytes are left to SetSkinImage.
  void PreloadPicture(std::span<const uint8_t> image, int width, int height);
  bool SetControlSkinning(int32_t enabled, OptInt alpha, OptInt option);
  // `reserved` is accepted and ignored.
  bool AttachWindow(HWND window, int32_t captionHeight, int32_t reserved,
                    const AttachWindowOptions& options);
  // A child window holding controls (a tab control, a group box): it shows the window's
  // picture, optionally tinted, and its controls are skinned. Its top-level window must be
  // attached first.
  bool AttachContainer(HWND control, OptInt type, OptInt colour, OptInt alpha, OptInt frame);
  // A tinted container's tint opacity.
  bool SetContainerAlpha(HWND control, int32_t alpha);
  // One existing button drawn from pictures: one picture, a number and a caption, or four
  // pictures (one per state) and a caption. An empty caption keeps the button's text.
  bool SkinImageButton(HWND button, std::span<const uint8_t> image, int32_t number,
                       const std::wstring& caption);
  bool SkinFourStateButton(HWND button, std::array<std::span<const uint8_t>, 4> images,
                           const std::wstring& caption);
  // A control's caption colour (a combo box's edit too).
  bool SetComboTextColour(HWND control, COLORREF colour);
  // One control that paints itself, laid over the skin with its face colour (`keyColour`,
  // default the face colour) keyed out.
  bool SkinTransparentControl(HWND control, OptInt keyColour, OptInt alpha);
  void SetHelpHandler(HWND window, std::function<void()> handler);
  void SetMenuHandler(HWND window, std::function<void()> handler);
  // A custom button (26 × 18, its own picture) put first in the window's caption strip.
  bool AddCaptionButton(HWND window, std::span<const uint8_t> image, const std::wstring& tooltip,
                        std::function<void()> handler);
  bool SetTitleStyle(HWND window, const TitleStyle& style);
  // The window's own background picture, prepared like the shared one.
  bool SetWindowImage(HWND window, std::span<const uint8_t> image, OptInt mode);
  // The window's own caption glyphs instead of the shared ones.
  bool SetCaptionButtonImages(HWND window, const SkinArt& images);
  StripRect GetCaptionStripRect(HWND window) const;
  // The item strip's text style; a field not given keeps its value.
  bool SetItemStripStyle(HWND window, OptInt fontColour, const wchar_t* fontName, OptInt fontSize);
  // `child` keeps spanning the client width less 4 pixels, down to the item strip, as the
  // window is resized.
  bool AddToFillList(HWND window, HWND child);
  void LayoutOnSize(int index);
  // The item strip's rectangle in client coordinates; empty when it has no items.
  RECT ItemStripRect(int index) const;
  COLORREF GetFaceColour() const { return settings_.faceColour; }

  // What the skin shows behind `rect` of `window` (in its client coordinates), copied from
  // the back buffer of its skinned top-level window, in a memory DC the caller gives back
  // with FreeBackground.
  HDC CaptureBackground(HWND window, const RECT& rect);
  // 1 when `dc` was captured and is now released; 0 for any other DC, which is left alone.
  int FreeBackground(HDC dc);
  // The memory of a captured background: 32-bit pixels, top row first, `width` to a row;
  // empty for a DC that was not captured.
  struct BackgroundPixels {
    uint32_t* bits = nullptr;
    int width = 0, height = 0;
  };
  BackgroundPixels PixelsOf(HDC dc) const;
  // A bitmap of the background behind the control's client area, washed with white at the
  // control alpha; the caller owns it.
  HBITMAP CaptureBackgroundBitmap(HWND control);

  // The picture with its right (mode 0) or left (mode 1) edge and its bottom edge faded into
  // `colour` over `band` pixels (0: 30 % of its width), as PNG bytes; empty when the
  // picture does not decode.
  static std::vector<uint8_t> BlendImageEdge(std::span<const uint8_t> image, COLORREF colour,
                                             int band, bool leftSide);

  const SkinSettings& settings() const { return settings_; }
  // The captions' fonts and formats, kept while the engine lives.
  CaptionTexts& captionTexts() { return captionTexts_; }
  COLORREF faceColour() const { return settings_.faceColour; }
  size_t WindowCount() const { return windows_.size(); }
  // 1-based index of a skinned window, 0 when it has none.
  int IndexOf(HWND window) const;
  // The skinned top-level window that holds `window`: itself or its nearest skinned
  // ancestor; 0 when there is none.
  int SkinnedAncestor(HWND window) const;
  HWND WindowAt(int index) const;
  // The control lists of a skinned window; null for an index that names none.
  SkinControls* ControlsOf(int index);
  // The engine of this process, while it lives; control procedures reach it here.
  static SkinEngine* Instance() { return instance_; }

  // Runs the control installers on the direct children of `parent` for window `index`:
  // push buttons, check boxes and radio buttons, edits and combo boxes, trackbars, progress
  // bars, lists, up-downs, headers. Nothing happens while control skinning is off.
  void InstallControls(int index, HWND parent);
  // The answer to a control-colour message for `control` (a brush of the picture behind it,
  // or the null brush); `answered` is false when the control keeps the system's answer.
  // The brush and its bitmap are kept until the next request or ReleaseControlColour.
  LRESULT AnswerControlColour(int index, UINT message, HDC dc, HWND control, bool& answered);
  void ReleaseControlColour(int index, HWND control);
  // A child whose change leaves its background stale is repainted: an edit that scrolled
  // or changed, a list or combo box whose selection changed (WM_COMMAND, while controls are
  // skinned), a tree view that expanded (WM_NOTIFY).
  void RepaintChangedChild(UINT message, WPARAM wp, LPARAM lp);

  // The caption strip.
  void LayoutCaptionStrip(int index);
  int HitCaptionButton(int index, int x, int y) const;
  int FindMaximizeButton(int index) const;
  void RunCaptionButton(int index, int button);

  // Painting: the full composition into the back buffer and out to `dc`, and the plain copy.
  void Repaint(int index, HDC dc);
  void PaintFromBuffer(int index, HDC dc);

  static LRESULT CALLBACK WindowProcEntry(HWND window, UINT message, WPARAM wp, LPARAM lp);

 private:
  friend struct SkinEngineTestAccess;  // tests read a window's record through it
  const SkinWindow* Window(int index) const;
  LRESULT WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
  // The window procedure's groups of messages; each answers, or leaves the message to the
  // previous procedure with nullopt.
  std::optional<LRESULT> OnLifeMessage(SkinWindow& w, int index, HWND window, UINT message, WPARAM wp, LPARAM lp);
  std::optional<LRESULT> OnPaintMessage(SkinWindow& w, int index, HWND window, UINT message, WPARAM wp, LPARAM lp);
  std::optional<LRESULT> OnMouseMessage(SkinWindow& w, int index, HWND window, UINT message, WPARAM wp, LPARAM lp);
  std::optional<LRESULT> OnFrameMessage(SkinWindow& w, int index, HWND window, UINT message, WPARAM wp, LPARAM lp);
  std::optional<LRESULT> OnControlMessage(SkinWindow& w, int index, HWND window, UINT message, WPARAM wp, LPARAM lp);
  LRESULT Previous(HWND window, UINT message, WPARAM wp, LPARAM lp) const;
  void ReleaseWindow(HWND window);
  void Renumber();
  void SetShape(SkinWindow& w);
  void PaintBackground(SkinWindow& w, void* graphics);
  // Scales a fast-scaled picture again at high quality and repaints the window and its
  // controls over it.
  void SettlePicture(SkinWindow& w, int index);
  void PaintBorder(SkinWindow& w, void* graphics);
  void DrawCaption(SkinWindow& w, HDC target, const wchar_t* title);
  void DrawCaptionButton(SkinWindow& w, int button, bool pressed, int hotAlpha, HDC target);
  void PaintButtons(const std::vector<ButtonPaint>& paints, SkinWindow& w);
  void BeginDragOrResize(SkinWindow& w, LPARAM lp);
  // A pointer move with an armed caption press: starts the move once it has gone far enough.
  void ContinueDrag(SkinWindow& w, WPARAM wp, LPARAM lp);
  void DisarmDrag(SkinWindow& w);
  void UpdateResizeCursor(SkinWindow& w, LPARAM lp);
  const DecodedImage* GlyphOf(const SkinWindow& w, const CaptionButton& b) const;
  void RegisterTooltips(SkinWindow& w, size_t previousCount);
  void DrawItemStrip(SkinWindow& w);
  // A window's own picture and its representative colour; false when it does not decode.
  bool PrepareWindowPicture(SkinWindow& w, std::span<const uint8_t> image, OptInt mode);
  // The picture as it is kept: edge-blended for the top-left and top-right modes, else as given.
  std::vector<uint8_t> PreparePicture(std::span<const uint8_t> source, COLORREF colour, ImageMode mode) const;
  // The shared picture, once a preload it waits for has finished; null for none.
  const DecodedImage* Background();
  // The shared picture is still being prepared on its own thread.
  bool BackgroundPending() const;
  // A back buffer whose composing a show left to its first use, composed now.
  void ComposeIfLeft(int index);
  static std::unique_ptr<DecodedImage> TakePicture(std::future<std::unique_ptr<DecodedImage>>& pending);

  SkinArt art_;
  CaptionTexts captionTexts_;
  SkinSettings settings_;
  std::vector<std::unique_ptr<SkinWindow>> windows_;
  std::unique_ptr<DecodedImage> background_;  // the shared picture, decoded once
  std::vector<std::unique_ptr<DecodedImage>> glyphs_;  // help, menu, min, max, restore, close
  std::function<void()> onDeactivate_;
  // The backgrounds captured and not yet freed; each record releases its DC and bitmap.
  struct BackgroundRecord {
    ScopedMemoryDc dc;
    ScopedBitmap bitmap;
    HGDIOBJ original = nullptr;
    BackgroundPixels pixels;
    BackgroundRecord() = default;
    BackgroundRecord(BackgroundRecord&&) = default;
    BackgroundRecord& operator=(BackgroundRecord&&) = default;
    ~BackgroundRecord() {
      if (dc && original) SelectObject(dc.get(), original);
    }
  };
  std::vector<BackgroundRecord> backgrounds_;
  unsigned pictureGeneration_ = 1;  // changes with every new shared picture
  // The border drawn once on a small transparent square (premultiplied), laid over every
  // window in nine pieces: only its straight sides grow with the window.
  std::vector<uint32_t> borderCorners_;
  // A picture being decoded by PreloadPicture, and its bytes; last, so that it is waited for
  // before anything else goes.
  std::span<const uint8_t> preloadBytes_;
  std::future<std::unique_ptr<DecodedImage>> preload_;
  // The shared picture while its preload is still under way; Background() waits for it.
  std::future<std::unique_ptr<DecodedImage>> pendingBackground_;
  static SkinEngine* instance_;
};

}  // namespace board
