// The main window's layout table and the generated description and icon built from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "runtime/form_description.h"
#include "app/main_form_layout.h"
#include "form_builder/main_form_builder.h"
#include "generated_files.h"
#include "base/byte_io.h"

namespace board {
namespace {

const std::vector<uint8_t>& Icon() { return GeneratedFile("app.ico"); }
const std::vector<uint8_t>& Description() { return GeneratedFile("main_form.bin"); }
const FormDescription& Form() {
  static const FormDescription form = [] {
    FormDescription f;
    EXPECT_TRUE(ReadFormDescription(Description(), f));
    return f;
  }();
  return form;
}

const LayoutControl& ByName(const std::string& name) {
  for (const LayoutControl& c : kMainFormControls)
    if (name == c.name) return c;
  ADD_FAILURE() << "no control " << name;
  return kMainFormControls[0];
}
size_t IndexOf(const std::string& name) { return size_t(&ByName(name) - kMainFormControls.data()); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t crlf = text.find("\r\n", start);
    lines.push_back(text.substr(start, crlf == std::string::npos ? std::string::npos : crlf - start));
    if (crlf == std::string::npos) break;
    start = crlf + 2;
  }
  return lines;
}

// ---- The table.

TEST(MainFormLayout, ControlsByKind) {
  ASSERT_EQ(kMainFormControls.size(), 91u);
  std::map<uint32_t, int> kinds;
  for (const LayoutControl& c : kMainFormControls) ++kinds[c.kind];
  EXPECT_EQ(kinds[kKindButton], 84);
  EXPECT_EQ(kinds[kKindTab], 1);
  EXPECT_EQ(kinds[kKindGroupBox], 1);
  EXPECT_EQ(kinds[kKindTransLabel], 4);
  EXPECT_EQ(kinds[kKindHtmlViewer], 1);
}

TEST(MainFormLayout, ButtonsByAction) {
  std::map<Action, int> actions;
  for (const LayoutControl& c : kMainFormControls) {
    if (c.kind == kKindButton) {
      EXPECT_NE(c.action, Action::None) << c.name;
      EXPECT_NE(c.text, nullptr) << c.name;
      ++actions[c.action];
    } else {
      EXPECT_EQ(c.action, Action::None) << c.name;
    }
  }
  EXPECT_EQ(actions[Action::PlayClip], 73);
  EXPECT_EQ(actions[Action::SelectPage], 6);
  EXPECT_EQ(actions[Action::PressKey], 3);
  EXPECT_EQ(actions[Action::StopPlayback], 1);
  EXPECT_EQ(actions[Action::CloseProgram], 1);
  const char* categories[] = {"按钮77", "按钮78", "按钮79", "按钮80", "按钮81", "按钮82"};
  for (int page = 0; page < 6; ++page) {
    const LayoutControl& c = ByName(categories[page]);
    EXPECT_EQ(c.action, Action::SelectPage);
    EXPECT_EQ(c.actionArg, page);
    EXPECT_EQ(c.container, kInWindow);
    EXPECT_EQ(c.top, 36);
    EXPECT_EQ(c.height, 24);
  }
  EXPECT_EQ(ByName("按钮音量加").actionArg, 175);
  EXPECT_EQ(ByName("按钮音量减").actionArg, 174);
  EXPECT_EQ(ByName("按钮静音").actionArg, 173);
  EXPECT_EQ(ByName("按钮74").action, Action::StopPlayback);
  EXPECT_EQ(ByName("按钮76").action, Action::CloseProgram);
}

TEST(MainFormLayout, UniqueControlIds) {
  std::set<uint32_t> ids;
  for (const LayoutControl& c : kMainFormControls) {
    EXPECT_EQ(c.controlId >> 16, 0x1601u) << c.name;
    EXPECT_TRUE(ids.insert(c.controlId).second) << c.name;
  }
  EXPECT_EQ(ByName("选择夹1").controlId, kTabControlId);
  EXPECT_EQ(ByName("分组框1").controlId, kGroupBoxControlId);
  std::set<std::string> names;
  for (const LayoutControl& c : kMainFormControls) EXPECT_TRUE(names.insert(c.name).second);
}

TEST(MainFormLayout, EveryClipPlayedByExactlyOneButton) {
  std::map<int, int> plays;
  for (const LayoutControl& c : kMainFormControls)
    if (c.action == Action::PlayClip) {
      ++plays[c.actionArg];
      EXPECT_GE(c.container, 0) << c.name;  // on a tab page
      EXPECT_EQ(c.width, 96);
      EXPECT_EQ(c.height, 40);
    }
  ASSERT_EQ(plays.size(), 73u);
  for (int id = 1; id <= 73; ++id) EXPECT_EQ(plays[id], 1) << id;
  EXPECT_EQ(ByName("按钮38").actionArg, 1);
  EXPECT_EQ(ByName("按钮57").actionArg, 33);
  EXPECT_EQ(ByName("按钮34").actionArg, 62);
  EXPECT_EQ(ByName("按钮2").actionArg, 73);
}

TEST(MainFormLayout, PagesAndContainers) {
  std::map<int, std::vector<std::string>> byContainer;
  for (const LayoutControl& c : kMainFormControls) byContainer[c.container].push_back(c.name);
  EXPECT_EQ(byContainer[kInWindow].size(), 8u);
  EXPECT_EQ(byContainer[kInGroupBox].size(), 6u);
  auto clipButtons = [&](int page) {
    int n = 0;
    for (const LayoutControl& c : kMainFormControls)
      if (c.container == page && c.action == Action::PlayClip) ++n;
    return n;
  };
  EXPECT_EQ(clipButtons(0), 18);
  EXPECT_EQ(clipButtons(1), 20);
  EXPECT_EQ(clipButtons(2), 20);
  EXPECT_EQ(clipButtons(3), 9);
  EXPECT_EQ(clipButtons(4), 6);
  EXPECT_EQ(clipButtons(5), 0);
  EXPECT_EQ(byContainer[0].size(), 19u);
  EXPECT_EQ(byContainer[4].size(), 7u);
  EXPECT_EQ(byContainer[5], (std::vector<std::string>{"透明标签4", "透明标签3"}));
  EXPECT_EQ(ByName("透明标签5").container, 0);
  EXPECT_EQ(ByName("透明标签1").container, 4);
  EXPECT_FALSE(ByName("超文本浏览框1").visible);
  int visible = 0;
  for (const LayoutControl& c : kMainFormControls) visible += c.visible;
  EXPECT_EQ(visible, 90);
}

TEST(MainFormLayout, TitlesCaptionAndLabels) {
  EXPECT_STREQ(kTabPageTitles[1], "战场音类效");
  EXPECT_STREQ(kTabPageTitles[3], "鸣笛警报类音效");
  EXPECT_STREQ(ByName("按钮78").text, "战场类音效");
  EXPECT_STREQ(ByName("按钮80").text, "警报类音效");
  std::string caption = kMainFormCaption;
  EXPECT_EQ(caption.find_first_not_of(' '), 5u);
  EXPECT_NE(caption.find("绿色版       by："), std::string::npos);
  EXPECT_EQ(caption.find("绿色版        by"), std::string::npos);
  EXPECT_STREQ(ByName("透明标签5").text,
               " 6.1版本支持多种音效同时播放，音效配合恰当可以打造更炫酷的音效。");
  struct Label {
    const char* name;
    size_t lines;
    uint32_t colour;
    int height;
    const char* face;
  };
  for (const Label& l : {Label{"透明标签1", 5, 0xFFFF00, 13, "宋体"},
                         Label{"透明标签4", 4, 0x008000, 16, ""},
                         Label{"透明标签3", 3, 0x000000, 16, ""},
                         Label{"透明标签5", 1, 0x000000, 16, ""}}) {
    const LayoutControl& c = ByName(l.name);
    ASSERT_NE(c.text, nullptr);
    std::string text = c.text;
    std::vector<std::string> lines = Lines(text);
    EXPECT_EQ(lines.size(), l.lines) << l.name;
    for (const std::string& line : lines) {
      EXPECT_EQ(line.find('\n'), std::string::npos) << l.name;
      EXPECT_EQ(line.find('\r'), std::string::npos) << l.name;
      EXPECT_EQ(line[0], ' ') << l.name;  // indented with blanks
    }
    EXPECT_EQ(c.textColour, l.colour) << l.name;
    EXPECT_EQ(c.fontHeight, l.height) << l.name;
    EXPECT_STREQ(c.fontFace, l.face) << l.name;
  }
  // The notice lengths that make the description its fixed size.
  EXPECT_EQ(Utf8ToGbk(ByName("透明标签1").text).size(), 202u);
  EXPECT_EQ(Utf8ToGbk(ByName("透明标签4").text).size(), 146u);
  EXPECT_EQ(Utf8ToGbk(ByName("透明标签3").text).size(), 124u);
}

TEST(MainFormLayout, HandlerReferences) {
  EXPECT_EQ(ControlOfHandler(kHandlerFormCreated), nullptr);
  EXPECT_EQ(ControlOfHandler(kHandlerFormCloseQuery), nullptr);
  EXPECT_EQ(ControlOfHandler(HandlerOfControl(91)), nullptr);
  EXPECT_EQ(ControlOfHandler(0xFFFFFFFF), nullptr);
  EXPECT_EQ(ControlOfHandler(HandlerOfControl(IndexOf("选择夹1"))), nullptr);
  for (size_t i = 0; i < kMainFormControls.size(); ++i)
    if (kMainFormControls[i].kind == kKindButton)
      EXPECT_EQ(ControlOfHandler(HandlerOfControl(i)), &kMainFormControls[i]);
}

TEST(MainFormLayout, Utf8ToGbk) {
  EXPECT_EQ(Utf8ToGbk("宋体"), "\xCB\xCE\xCC\xE5");
  EXPECT_EQ(Utf8ToGbk("BB机"), "BB\xBB\xFA");
  EXPECT_EQ(Utf8ToGbk(""), "");
  EXPECT_THROW(Utf8ToGbk("\xF0\x9F\x94\x8A"), std::runtime_error);  // no GBK form
  EXPECT_THROW(Utf8ToGbk("\xC3"), std::runtime_error);              // broken UTF-8
}

// ---- The generated description.

TEST(MainFormDescription, HeaderAndSizes) {
  const auto& d = Description();
  ASSERT_EQ(d.size(), 115952u);
  EXPECT_EQ(LoadU32(&d[0]), 8u);
  EXPECT_EQ(LoadU32(&d[4]), 0x52010001u);
  EXPECT_EQ(LoadU32(&d[8]), 0x01314100u);
  EXPECT_EQ(LoadU32(&d[12]), 0x00008056u);
  EXPECT_EQ(LoadU32(&d[16]), 0x19010007u);
  EXPECT_EQ(LoadU32(&d[20]), 0u);
  EXPECT_EQ(LoadU32(&d[24]), 0u);
  EXPECT_EQ(LoadU32(&d[28]), 92u);
  EXPECT_EQ(LoadU32(&d[32]), 115916u);
  EXPECT_EQ(LoadU32(&d[36]), 0x06010000u);          // the window's id first
  EXPECT_EQ(LoadU32(&d[36 + 4 * 92]), 0u);         // its offset 0
  EXPECT_EQ(Icon().size(), board::kAppIconFileSize);
  const FormDescription& f = Form();
  ASSERT_EQ(f.records.size(), 92u);
  EXPECT_EQ(f.formWords[2], 0x19010007u);
  for (size_t i = 0; i < 91; ++i) {
    EXPECT_EQ(f.records[i + 1].controlId, kMainFormControls[i].controlId);
    EXPECT_EQ(f.records[i + 1].name, Utf8ToGbk(kMainFormControls[i].name));
  }
}

TEST(MainFormDescription, GeneratedFileIsTheBuiltOne) {
  EXPECT_EQ(WriteFormDescription(BuildMainFormDescription(Icon())), Description());
}

TEST(MainFormDescription, WindowRecord) {
  const ControlRecord& w = Form().records[0];
  EXPECT_EQ(w.controlId, 0x06010000u);
  EXPECT_EQ(w.kind, kKindWindow);
  EXPECT_EQ(w.name, "");
  EXPECT_EQ(w.left, 50);
  EXPECT_EQ(w.top, 50);
  EXPECT_EQ(w.width, 786);
  EXPECT_EQ(w.height, 315);
  EXPECT_EQ(w.container, 0u);
  EXPECT_EQ(w.flags & kFlagVisible, kFlagVisible);
  EXPECT_EQ(w.events, (std::vector<EventBinding>{{0, kHandlerFormCreated},
                                                  {1, kHandlerFormCloseQuery}}));
  std::vector<uint32_t> top;
  for (const LayoutControl& c : kMainFormControls)
    if (c.container == kInWindow) top.push_back(c.controlId);
  EXPECT_EQ(w.children, top);
  ASSERT_TRUE(std::holds_alternative<WindowKindData>(w.kindData));
  const auto& k = std::get<WindowKindData>(w.kindData);
  EXPECT_EQ(k.version, 6u);
  const int32_t expected[kWindowSettingCount] = {0, 0, int32_t(0xFF000000), 0, 0, 1, 1, 1, 0,
                                                 0, 1, 0, 0, 1, 0, 0, 0, 0};
  for (int i = 0; i < kWindowSettingCount; ++i) EXPECT_EQ(k.settings[i], expected[i]) << i;
  EXPECT_EQ(k.icon, Icon());
  EXPECT_TRUE(k.picture.empty());
  EXPECT_TRUE(k.music.empty());
  EXPECT_TRUE(k.helpFile.empty());
  EXPECT_EQ(k.caption, Utf8ToGbk(kMainFormCaption));
}

TEST(MainFormDescription, ControlRecordsFollowTheTable) {
  const FormDescription& f = Form();
  for (size_t i = 0; i < 91; ++i) {
    const LayoutControl& c = kMainFormControls[i];
    const ControlRecord& r = f.records[i + 1];
    EXPECT_EQ(r.kind, c.kind) << c.name;
    EXPECT_EQ(r.left, c.left) << c.name;
    EXPECT_EQ(r.top, c.top) << c.name;
    EXPECT_EQ(r.width, c.width) << c.name;
    EXPECT_EQ(r.height, c.height) << c.name;
    uint32_t container = c.container == kInWindow     ? 0
                         : c.container == kInGroupBox ? kGroupBoxControlId
                                                      : kTabControlId;
    EXPECT_EQ(r.container, container) << c.name;
    EXPECT_EQ(r.cursor, Blob(4, 0)) << c.name;
    EXPECT_EQ(r.secondText, "");
    EXPECT_EQ(r.tag, "");
    EXPECT_EQ(r.objectSlot, 0u);
    EXPECT_TRUE(r.kindDataOk);
    EXPECT_EQ((r.flags & kFlagVisible) != 0, c.visible) << c.name;
    EXPECT_EQ(r.flags & kFlagDisabled, 0u) << c.name;
    if (c.kind == kKindButton) {
      EXPECT_EQ(r.flags & kFlagTabStop, kFlagTabStop) << c.name;
      ASSERT_EQ(r.events.size(), 1u) << c.name;
      EXPECT_EQ(r.events[0].event, kEventButtonClick);
      EXPECT_EQ(r.events[0].handler, HandlerOfControl(i));
      EXPECT_EQ(ControlOfHandler(r.events[0].handler), &c);
      const auto& b = std::get<ButtonKindData>(r.kindData);
      EXPECT_EQ(b.version, 1u);
      EXPECT_EQ(b.type, 0);
      EXPECT_EQ(b.hAlign, 1);
      EXPECT_EQ(b.vAlign, 1);
      EXPECT_TRUE(b.picture.empty());
      EXPECT_TRUE(b.font.empty());
      EXPECT_EQ(b.caption, Utf8ToGbk(c.text));
    } else {
      EXPECT_TRUE(r.events.empty()) << c.name;
      EXPECT_EQ(r.flags & kFlagTabStop, 0u) << c.name;
    }
    if (c.kind == kKindGroupBox || c.kind == kKindHtmlViewer) {
      EXPECT_TRUE(std::holds_alternative<std::monostate>(r.kindData));
      EXPECT_TRUE(r.otherKindData.empty());
    }
    if (c.kind == kKindTransLabel) {
      const auto& l = std::get<LabelKindData>(r.kindData);
      EXPECT_EQ(l.version, 1u);
      EXPECT_EQ(l.setting0, 0);
      EXPECT_EQ(uint32_t(l.textColour), c.textColour);
      EXPECT_EQ(l.setting2, 0);
      EXPECT_EQ(l.flag, 1);
      EXPECT_EQ(l.setting4, 1);
      EXPECT_EQ(l.text, Utf8ToGbk(c.text));
      ASSERT_EQ(l.font.size(), 60u);
      EXPECT_EQ(int32_t(LoadU32(&l.font[0])), -c.fontHeight);
      EXPECT_EQ(LoadU32(&l.font[16]), 400u);
      EXPECT_EQ(l.font[23], 134);
      std::string face(reinterpret_cast<const char*>(&l.font[28]));
      EXPECT_EQ(face, Utf8ToGbk(c.fontFace));
      EXPECT_EQ(l.font[59], 0);
    }
  }
}

TEST(MainFormDescription, TabAndGroupBoxChildren) {
  const FormDescription& f = Form();
  const ControlRecord& tab = f.records[size_t(FindRecord(f, kTabControlId))];
  ASSERT_EQ(tab.children.size(), 83u);
  EXPECT_EQ(tab.children.back(), 0u);
  EXPECT_EQ(std::count(tab.children.begin(), tab.children.end(), 0u), 6);
  // Each page's controls in stored order, each page followed by 0.
  std::vector<uint32_t> expected;
  for (int page = 0; page < 6; ++page) {
    for (const LayoutControl& c : kMainFormControls)
      if (c.container == page) expected.push_back(c.controlId);
    expected.push_back(0);
  }
  EXPECT_EQ(tab.children, expected);
  const int perPage[6] = {19, 20, 20, 9, 7, 2};
  int page = 0, n = 0;
  for (uint32_t id : tab.children) {
    if (id == 0) {
      EXPECT_EQ(n, perPage[page]) << page;
      ++page;
      n = 0;
    } else {
      ++n;
      EXPECT_EQ(PageOfChild(tab, id), page);
    }
  }
  EXPECT_EQ(PageOfChild(tab, ByName("透明标签5").controlId), 0);
  EXPECT_EQ(PageOfChild(tab, ByName("透明标签1").controlId), 4);
  EXPECT_EQ(PageOfChild(tab, ByName("透明标签4").controlId), 5);
  EXPECT_EQ(PageOfChild(tab, ByName("透明标签3").controlId), 5);
  const auto& k = std::get<TabKindData>(tab.kindData);
  EXPECT_EQ(k.version, 3u);
  EXPECT_EQ(k.headerPosition, 0);
  EXPECT_EQ(k.multiLine, 0);
  EXPECT_EQ(k.currentPage, 0);
  EXPECT_EQ(k.flag1, 0);
  EXPECT_EQ(k.flag2, 1);
  EXPECT_EQ(k.backColour, 0x0000FFFF);
  EXPECT_TRUE(k.font.empty());
  ASSERT_EQ(k.pageTitles.size(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(k.pageTitles[i], Utf8ToGbk(kTabPageTitles[i]));

  const ControlRecord& box = f.records[size_t(FindRecord(f, kGroupBoxControlId))];
  std::vector<uint32_t> boxChildren;
  for (const LayoutControl& c : kMainFormControls)
    if (c.container == kInGroupBox) boxChildren.push_back(c.controlId);
  EXPECT_EQ(box.children, boxChildren);
  EXPECT_EQ(box.children.size(), 6u);
  for (const ControlRecord& r : f.records)
    if (r.controlId != kTabControlId && r.controlId != kGroupBoxControlId &&
        r.controlId != kMainWindowControlId)
      EXPECT_TRUE(r.children.empty()) << r.controlId;
}

// ---- The generated icon.

TEST(MainFormIcon, FiveImagesOf32Bits) {
  const auto& ico = Icon();
  ASSERT_EQ(ico.size(), board::kAppIconFileSize);
  EXPECT_EQ(LoadU16(&ico[0]), 0);
  EXPECT_EQ(LoadU16(&ico[2]), 1);
  ASSERT_EQ(LoadU16(&ico[4]), 5);
  const int sizes[] = {128, 64, 48, 32, 16};
  size_t expectedOffset = 6 + 5 * 16;
  for (int i = 0; i < 5; ++i) {
    const uint8_t* e = &ico[6 + 16 * size_t(i)];
    const int s = sizes[i];
    EXPECT_EQ(e[0], s);
    EXPECT_EQ(e[1], s);
    EXPECT_EQ(LoadU16(e + 4), 1);
    EXPECT_EQ(LoadU16(e + 6), 32);
    const size_t maskStride = size_t((s + 31) / 32) * 4;
    const size_t bytes = 40 + size_t(s) * s * 4 + maskStride * s;
    EXPECT_EQ(LoadU32(e + 8), bytes);
    EXPECT_EQ(LoadU32(e + 12), expectedOffset);
    const uint8_t* dib = &ico[expectedOffset];
    EXPECT_EQ(LoadU32(dib), 40u);
    EXPECT_EQ(LoadU32(dib + 4), uint32_t(s));
    EXPECT_EQ(LoadU32(dib + 8), uint32_t(2 * s));
    EXPECT_EQ(LoadU16(dib + 12), 1);
    EXPECT_EQ(LoadU16(dib + 14), 32);
    EXPECT_EQ(LoadU32(dib + 16), 0u);
    // Corners transparent (and masked), centre opaque. Rows are bottom-up.
    const uint8_t* px = dib + 40;
    auto alpha = [&](int x, int y) { return px[(size_t(s - 1 - y) * s + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0) << s;
    EXPECT_EQ(alpha(s - 1, s - 1), 0) << s;
    EXPECT_EQ(alpha(s / 2, s / 2), 255) << s;
    const uint8_t* mask = px + size_t(s) * s * 4;
    EXPECT_EQ(mask[size_t(s - 1) * maskStride] & 0x80, 0x80) << s;  // top-left masked
    expectedOffset += bytes;
  }
  EXPECT_EQ(expectedOffset, ico.size());
}

}  // namespace
}  // namespace board
