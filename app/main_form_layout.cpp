#include "app/main_form_layout.h"

#include "runtime/form_description.h"

namespace board {
namespace {

// Texts of the four labels. Lines are separated by CR LF and indented with blanks. The
// lengths of the three notices are chosen so that the stored description of the window has
// its fixed size (the form generator checks it).
constexpr const char* kLabel5Text = " 6.1版本支持多种音效同时播放，音效配合恰当可以打造更炫酷的音效。";
constexpr const char* kLabel1Text =
    "   如果您在使用中发现错误或有好的建议，\r\n"
    "   欢迎发站内短消息告诉我们，我们会尽快改进。\r\n"
    "   本软件完全免费，仅供学习交流使用，\r\n"
    "   任何人不得将本软件出售或用于牟利。\r\n"
    "                —— 本软件作者 制作";
constexpr const char* kLabel4Text =
    "  本软件由作者与合作工作室共同开发。\r\n"
    "  感谢素材站的朋友们提供音效素材。\r\n"
    "  感谢每一位用户的支持与鼓励。\r\n"
    "  意见或建议请在论坛留言或发站内短消息。";
constexpr const char* kLabel3Text =
    "  安全声明：本软件经多款主流安全软件检测，\r\n"
    "  确认无病毒、无木马、无插件，请放心使用。\r\n"
    "  如遇误报，请将本软件加入信任列表。";

}  // namespace

const char* const kMainFormCaption =
    "     Tenvo网络音效辅助软件V6.1免安装绿色版       by：Tenvo";

const std::array<const char*, kPageCount> kTabPageTitles = {
    "主持类音效", "战场音类效", "音乐类音效", "鸣笛警报类音效", "叫声类音效", "服务支持",
};

// clang-format off
// name, kind, ControlId, container, left, top, width, height, visible, text, action, argument
// (ClipId, page index or virtual key), label text colour, label font height, label font face.
const std::array<LayoutControl, kMainFormControlCount> kMainFormControls = {{
    {"按钮82", kKindButton, 0x160113AA, kInWindow, 405, 36, 77, 24, true, "服务支持", Action::SelectPage, 5, 0, 0, ""},  // 1
    {"按钮81", kKindButton, 0x160113A9, kInWindow, 326, 36, 77, 24, true, "叫声类音效", Action::SelectPage, 4, 0, 0, ""},  // 2
    {"按钮80", kKindButton, 0x160113A8, kInWindow, 247, 36, 77, 24, true, "警报类音效", Action::SelectPage, 3, 0, 0, ""},  // 3
    {"按钮79", kKindButton, 0x160113A7, kInWindow, 167, 36, 77, 24, true, "音乐类音效", Action::SelectPage, 2, 0, 0, ""},  // 4
    {"按钮78", kKindButton, 0x160113A6, kInWindow, 88, 36, 77, 24, true, "战场类音效", Action::SelectPage, 1, 0, 0, ""},  // 5
    {"按钮77", kKindButton, 0x160113A4, kInWindow, 9, 36, 77, 24, true, "主持类音效", Action::SelectPage, 0, 0, 0, ""},  // 6
    {"按钮静音", kKindButton, 0x1601138C, kInGroupBox, 12, 118, 112, 24, true, "静音", Action::PressKey, 173, 0, 0, ""},  // 7
    {"按钮音量减", kKindButton, 0x1601138B, kInGroupBox, 12, 87, 112, 24, true, "音量-", Action::PressKey, 174, 0, 0, ""},  // 8
    {"按钮音量加", kKindButton, 0x1601138A, kInGroupBox, 12, 58, 112, 24, true, "音量+", Action::PressKey, 175, 0, 0, ""},  // 9
    {"按钮76", kKindButton, 0x16011371, kInGroupBox, 12, 216, 113, 31, true, "关闭程序", Action::CloseProgram, 0, 0, 0, ""},  // 10
    {"透明标签5", kKindTransLabel, 0x160112DB, 0, 504, 144, 120, 112, true, kLabel5Text, Action::None, 0, 0x00000000, 16, ""},  // 11
    {"超文本浏览框1", kKindHtmlViewer, 0x160112D6, kInGroupBox, 106, 150, 32, 24, false, nullptr, Action::None, 0, 0, 0, ""},  // 12
    {"透明标签4", kKindTransLabel, 0x160112D4, 5, 161, 151, 392, 106, true, kLabel4Text, Action::None, 0, 0x00008000, 16, ""},  // 13
    {"透明标签3", kKindTransLabel, 0x160112D3, 5, 16, 64, 584, 72, true, kLabel3Text, Action::None, 0, 0x00000000, 16, ""},  // 14
    {"透明标签1", kKindTransLabel, 0x160101BC, 4, 128, 104, 456, 128, true, kLabel1Text, Action::None, 0, 0x00FFFF00, 13, "宋体"},  // 15
    {"按钮74", kKindButton, 0x16010171, kInGroupBox, 12, 184, 113, 31, true, "停止播放", Action::StopPlayback, 0, 0, 0, ""},  // 16
    {"分组框1", kKindGroupBox, 0x1601015D, kInWindow, 644, 44, 136, 251, true, nullptr, Action::None, 0, 0, 0, ""},  // 17
    {"按钮73", kKindButton, 0x1601015C, 0, 512, 88, 96, 40, true, "求包养", Action::PlayClip, 72, 0, 0, ""},  // 18
    {"按钮69", kKindButton, 0x16010158, 0, 269, 201, 96, 40, true, "直升飞机", Action::PlayClip, 20, 0, 0, ""},  // 19
    {"按钮70", kKindButton, 0x16010159, 0, 143, 201, 96, 40, true, "灭灯", Action::PlayClip, 47, 0, 0, ""},  // 20
    {"按钮71", kKindButton, 0x1601015A, 0, 23, 201, 96, 40, true, "狙击枪", Action::PlayClip, 17, 0, 0, ""},  // 21
    {"按钮72", kKindButton, 0x1601015B, 0, 389, 201, 96, 40, true, "吻", Action::PlayClip, 11, 0, 0, ""},  // 22
    {"按钮61", kKindButton, 0x1601014A, 0, 23, 145, 96, 40, true, "qq咳嗽", Action::PlayClip, 35, 0, 0, ""},  // 23
    {"按钮66", kKindButton, 0x1601014B, 0, 143, 145, 96, 40, true, "打人拳声", Action::PlayClip, 5, 0, 0, ""},  // 24
    {"按钮67", kKindButton, 0x1601014C, 0, 269, 145, 96, 40, true, "救命", Action::PlayClip, 8, 0, 0, ""},  // 25
    {"按钮68", kKindButton, 0x1601014D, 0, 389, 145, 96, 40, true, "警车", Action::PlayClip, 28, 0, 0, ""},  // 26
    {"按钮55", kKindButton, 0x1601012C, 0, 23, 30, 96, 40, true, "多人笑声", Action::PlayClip, 29, 0, 0, ""},  // 27
    {"按钮56", kKindButton, 0x1601012D, 0, 143, 30, 96, 40, true, "欢呼掌声", Action::PlayClip, 23, 0, 0, ""},  // 28
    {"按钮57", kKindButton, 0x1601012E, 0, 269, 30, 96, 40, true, "激烈掌声", Action::PlayClip, 33, 0, 0, ""},  // 29
    {"按钮59", kKindButton, 0x1601012F, 0, 389, 30, 96, 40, true, "放屁声", Action::PlayClip, 32, 0, 0, ""},  // 30
    {"按钮60", kKindButton, 0x16010130, 0, 512, 30, 96, 40, true, "小孩笑声", Action::PlayClip, 49, 0, 0, ""},  // 31
    {"按钮62", kKindButton, 0x16010132, 0, 389, 87, 96, 40, true, "非诚勿扰女", Action::PlayClip, 10, 0, 0, ""},  // 32
    {"按钮63", kKindButton, 0x16010133, 0, 269, 87, 96, 40, true, "非诚勿扰男", Action::PlayClip, 60, 0, 0, ""},  // 33
    {"按钮64", kKindButton, 0x16010134, 0, 143, 87, 96, 40, true, "贱笑", Action::PlayClip, 13, 0, 0, ""},  // 34
    {"按钮65", kKindButton, 0x16010135, 0, 23, 87, 96, 40, true, "小贤笑声", Action::PlayClip, 24, 0, 0, ""},  // 35
    {"按钮46", kKindButton, 0x16010123, 4, 21, 30, 96, 40, true, "大笑", Action::PlayClip, 12, 0, 0, ""},  // 36
    {"按钮51", kKindButton, 0x16010124, 4, 141, 30, 96, 40, true, "奸笑", Action::PlayClip, 50, 0, 0, ""},  // 37
    {"按钮52", kKindButton, 0x16010125, 4, 267, 30, 96, 40, true, "傻笑", Action::PlayClip, 21, 0, 0, ""},  // 38
    {"按钮53", kKindButton, 0x16010126, 4, 387, 30, 96, 40, true, "绵羊", Action::PlayClip, 15, 0, 0, ""},  // 39
    {"按钮54", kKindButton, 0x16010127, 4, 510, 30, 96, 40, true, "狗叫", Action::PlayClip, 18, 0, 0, ""},  // 40
    {"按钮58", kKindButton, 0x1601012B, 4, 21, 87, 96, 40, true, "狗叫2", Action::PlayClip, 2, 0, 0, ""},  // 41
    {"按钮41", kKindButton, 0x160100AB, 3, 20, 31, 96, 40, true, "汽车警报", Action::PlayClip, 70, 0, 0, ""},  // 42
    {"按钮42", kKindButton, 0x160100AC, 3, 140, 31, 96, 40, true, "防空警报", Action::PlayClip, 30, 0, 0, ""},  // 43
    {"按钮43", kKindButton, 0x160100AD, 3, 266, 31, 96, 40, true, "危险警报", Action::PlayClip, 66, 0, 0, ""},  // 44
    {"按钮44", kKindButton, 0x160100AE, 3, 386, 31, 96, 40, true, "警报2", Action::PlayClip, 7, 0, 0, ""},  // 45
    {"按钮45", kKindButton, 0x160100AF, 3, 509, 31, 96, 40, true, "鸣笛", Action::PlayClip, 40, 0, 0, ""},  // 46
    {"按钮47", kKindButton, 0x160100B1, 3, 386, 88, 96, 40, true, "砸门", Action::PlayClip, 59, 0, 0, ""},  // 47
    {"按钮48", kKindButton, 0x160100B2, 3, 266, 88, 96, 40, true, "刹车", Action::PlayClip, 48, 0, 0, ""},  // 48
    {"按钮49", kKindButton, 0x160100B3, 3, 141, 88, 96, 40, true, "客车鸣笛", Action::PlayClip, 39, 0, 0, ""},  // 49
    {"按钮50", kKindButton, 0x160100B4, 3, 20, 88, 96, 40, true, "火车汽笛", Action::PlayClip, 42, 0, 0, ""},  // 50
    {"按钮21", kKindButton, 0x16010065, 2, 19, 31, 96, 40, true, "舒缓", Action::PlayClip, 41, 0, 0, ""},  // 51
    {"按钮22", kKindButton, 0x16010066, 2, 508, 210, 96, 40, true, "过电", Action::PlayClip, 37, 0, 0, ""},  // 52
    {"按钮23", kKindButton, 0x16010067, 2, 385, 210, 96, 40, true, "上课铃", Action::PlayClip, 45, 0, 0, ""},  // 53
    {"按钮24", kKindButton, 0x16010068, 2, 265, 210, 96, 40, true, "敲钟", Action::PlayClip, 4, 0, 0, ""},  // 54
    {"按钮25", kKindButton, 0x16010069, 2, 139, 210, 96, 40, true, "BB机", Action::PlayClip, 25, 0, 0, ""},  // 55
    {"按钮26", kKindButton, 0x1601006A, 2, 19, 210, 96, 40, true, "滴", Action::PlayClip, 53, 0, 0, ""},  // 56
    {"按钮27", kKindButton, 0x1601006B, 2, 19, 149, 96, 40, true, "卡戳", Action::PlayClip, 27, 0, 0, ""},  // 57
    {"按钮28", kKindButton, 0x1601006C, 2, 19, 88, 96, 40, true, "激烈", Action::PlayClip, 51, 0, 0, ""},  // 58
    {"按钮29", kKindButton, 0x1601006D, 2, 139, 88, 96, 40, true, "激烈2", Action::PlayClip, 68, 0, 0, ""},  // 59
    {"按钮30", kKindButton, 0x1601006E, 2, 139, 31, 96, 40, true, "舒缓2", Action::PlayClip, 38, 0, 0, ""},  // 60
    {"按钮31", kKindButton, 0x1601006F, 2, 139, 149, 96, 40, true, "复印机", Action::PlayClip, 61, 0, 0, ""},  // 61
    {"按钮32", kKindButton, 0x16010070, 2, 265, 149, 96, 40, true, "拍照", Action::PlayClip, 22, 0, 0, ""},  // 62
    {"按钮33", kKindButton, 0x16010071, 2, 265, 88, 96, 40, true, "激烈3", Action::PlayClip, 63, 0, 0, ""},  // 63
    {"按钮34", kKindButton, 0x16010072, 2, 265, 31, 96, 40, true, "欢快", Action::PlayClip, 62, 0, 0, ""},  // 64
    {"按钮35", kKindButton, 0x16010073, 2, 385, 31, 96, 40, true, "欢快2", Action::PlayClip, 71, 0, 0, ""},  // 65
    {"按钮36", kKindButton, 0x16010074, 2, 385, 88, 96, 40, true, "水声", Action::PlayClip, 65, 0, 0, ""},  // 66
    {"按钮37", kKindButton, 0x16010075, 2, 385, 149, 96, 40, true, "拍照2", Action::PlayClip, 58, 0, 0, ""},  // 67
    {"按钮38", kKindButton, 0x16010076, 2, 508, 149, 96, 40, true, "发牌", Action::PlayClip, 1, 0, 0, ""},  // 68
    {"按钮39", kKindButton, 0x16010077, 2, 508, 88, 96, 40, true, "激光", Action::PlayClip, 56, 0, 0, ""},  // 69
    {"按钮40", kKindButton, 0x16010078, 2, 508, 31, 96, 40, true, "欢快3", Action::PlayClip, 67, 0, 0, ""},  // 70
    {"按钮17", kKindButton, 0x1601004C, 1, 511, 87, 96, 40, true, "战斗机起飞", Action::PlayClip, 14, 0, 0, ""},  // 71
    {"按钮18", kKindButton, 0x1601004D, 1, 511, 148, 96, 40, true, "轰炸", Action::PlayClip, 31, 0, 0, ""},  // 72
    {"按钮19", kKindButton, 0x1601004E, 1, 511, 209, 96, 40, true, "雷达", Action::PlayClip, 19, 0, 0, ""},  // 73
    {"按钮20", kKindButton, 0x1601004F, 1, 511, 30, 96, 40, true, "导弹", Action::PlayClip, 34, 0, 0, ""},  // 74
    {"按钮9", kKindButton, 0x16010048, 1, 388, 87, 96, 40, true, "开枪", Action::PlayClip, 46, 0, 0, ""},  // 75
    {"按钮10", kKindButton, 0x16010049, 1, 388, 148, 96, 40, true, "乱箭", Action::PlayClip, 54, 0, 0, ""},  // 76
    {"按钮11", kKindButton, 0x1601004A, 1, 388, 209, 96, 40, true, "飞船", Action::PlayClip, 16, 0, 0, ""},  // 77
    {"按钮16", kKindButton, 0x1601004B, 1, 388, 30, 96, 40, true, "步枪", Action::PlayClip, 64, 0, 0, ""},  // 78
    {"按钮5", kKindButton, 0x16010044, 1, 268, 87, 96, 40, true, "激光炮", Action::PlayClip, 9, 0, 0, ""},  // 79
    {"按钮6", kKindButton, 0x16010045, 1, 268, 148, 96, 40, true, "射箭", Action::PlayClip, 57, 0, 0, ""},  // 80
    {"按钮7", kKindButton, 0x16010046, 1, 268, 209, 96, 40, true, "信号", Action::PlayClip, 69, 0, 0, ""},  // 81
    {"按钮8", kKindButton, 0x16010047, 1, 268, 30, 96, 40, true, "上子弹", Action::PlayClip, 6, 0, 0, ""},  // 82
    {"按钮1", kKindButton, 0x16010040, 1, 142, 87, 96, 40, true, "机关枪", Action::PlayClip, 55, 0, 0, ""},  // 83
    {"按钮2", kKindButton, 0x16010041, 1, 142, 148, 96, 40, true, "枪战", Action::PlayClip, 73, 0, 0, ""},  // 84
    {"按钮3", kKindButton, 0x16010042, 1, 142, 209, 96, 40, true, "发报", Action::PlayClip, 52, 0, 0, ""},  // 85
    {"按钮4", kKindButton, 0x16010043, 1, 142, 30, 96, 40, true, "爆炸", Action::PlayClip, 36, 0, 0, ""},  // 86
    {"按钮15", kKindButton, 0x1601003C, 1, 22, 87, 96, 40, true, "导弹2", Action::PlayClip, 26, 0, 0, ""},  // 87
    {"按钮14", kKindButton, 0x1601003D, 1, 22, 148, 96, 40, true, "战斗机起飞2", Action::PlayClip, 44, 0, 0, ""},  // 88
    {"按钮13", kKindButton, 0x1601003E, 1, 22, 209, 96, 40, true, "大炮", Action::PlayClip, 43, 0, 0, ""},  // 89
    {"按钮12", kKindButton, 0x1601003F, 1, 22, 30, 96, 40, true, "自动步枪", Action::PlayClip, 3, 0, 0, ""},  // 90
    {"选择夹1", kKindTab, 0x1601003B, kInWindow, 8, 38, 632, 264, true, nullptr, Action::None, 0, 0, 0, ""},  // 91
}};
// clang-format on

const LayoutControl* ControlOfHandler(uint32_t handler) {
  if (handler < HandlerOfControl(0) || handler - HandlerOfControl(0) >= kMainFormControlCount)
    return nullptr;
  const LayoutControl& c = kMainFormControls[handler - HandlerOfControl(0)];
  return c.kind == kKindButton ? &c : nullptr;
}

}  // namespace board
