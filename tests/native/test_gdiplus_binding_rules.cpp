#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/colour.h"
#include "skin/gdiplus_binding_rules.h"

namespace board {
namespace {

TEST(BindingRules, ExportNamesAndOrdinals) {
  struct Case {
    const char* name;
    ExportRef::Kind kind;
    uint16_t ordinal;
  };
  const Case cases[] = {
      {"GdipCreatePath", ExportRef::kName, 0},
      {"#12", ExportRef::kOrdinal, 12},
      {"#65535", ExportRef::kOrdinal, 65535},
      {"#65548", ExportRef::kOrdinal, 12},  // 0x1000C masks to 12
      {"#0012", ExportRef::kOrdinal, 12},
      {"", ExportRef::kInvalid, 0},
      {"#", ExportRef::kInvalid, 0},
      {"#12a", ExportRef::kInvalid, 0},
      {"# 12", ExportRef::kInvalid, 0},
      {"#-1", ExportRef::kInvalid, 0},
      {"#0", ExportRef::kInvalid, 0},
      {"#65536", ExportRef::kInvalid, 0},  // masks to 0, which would read as a null name
  };
  for (const Case& c : cases) {
    ExportRef r = ParseExport(c.name);
    EXPECT_EQ(r.kind, c.kind) << c.name;
    if (c.kind == ExportRef::kOrdinal) EXPECT_EQ(r.ordinal, c.ordinal) << c.name;
  }
  // A number far past 32 bits still gives its own low 16 bits (10^20 is a multiple of 65536).
  ExportRef big = ParseExport("#100000000000000000012");
  EXPECT_EQ(big.kind, ExportRef::kOrdinal);
  EXPECT_EQ(big.ordinal, 12);
}

TEST(BindingRules, LibrariesTriedInOrder) {
  const std::vector<std::wstring> defaults = {L"Kernel32.dll", L"Gdi32.dll",   L"User32.dll",
                                              L"Advapi32.dll", L"Mpr.dll",     L"Shell32.dll"};
  EXPECT_EQ(LibraryCandidates(L"", L"C:\\board"), defaults);

  EXPECT_EQ(LibraryCandidates(L"gdiplus.dll", L"C:\\board"),
            (std::vector<std::wstring>{L"C:\\board\\gdiplus.dll", L"gdiplus.dll"}));
  // A directory that already ends in a separator gets no second one.
  EXPECT_EQ(LibraryCandidates(L"gdiplus.dll", L"C:\\"),
            (std::vector<std::wstring>{L"C:\\gdiplus.dll", L"gdiplus.dll"}));
  // With no known program directory only the search order is left.
  EXPECT_EQ(LibraryCandidates(L"gdiplus.dll", L""), (std::vector<std::wstring>{L"gdiplus.dll"}));
  // A full path is loaded as it is, and only that.
  EXPECT_EQ(LibraryCandidates(L"D:\\libs\\x.dll", L"C:\\board"),
            (std::vector<std::wstring>{L"D:\\libs\\x.dll"}));

  EXPECT_EQ(DirectoryOf(L"C:\\board\\SoundBoard.exe"), L"C:\\board");
  EXPECT_EQ(DirectoryOf(L"C:\\SoundBoard.exe"), L"C:");
  EXPECT_EQ(DirectoryOf(L"SoundBoard.exe"), L"");
}

TEST(BindingRules, FailureMessageNamesLibraryWhenThereIsOne) {
  EXPECT_EQ(BindFailureMessage(L"gdiplus.dll", "GdipFoo"),
            L"无法找到指定DLL库文件“gdiplus.dll”中的输出命令“GdipFoo”");
  EXPECT_EQ(BindFailureMessage(L"", "#12"), L"无法找到指定DLL库文件中的输出命令“#12”");
}

TEST(Colour, ToArgbSwapsRedAndBlueAndPutsAlphaOnTop) {
  EXPECT_EQ(ToArgb(0xDDCA22), 0xFF22CADDu);  // the default theme colour
  EXPECT_EQ(ToArgb(0x0000FF, 160), 0xA0FF0000u);
  EXPECT_EQ(ToArgb(0xFF0000, 0), 0x000000FFu);
  // The unused high byte of a COLORREF never reaches the result.
  EXPECT_EQ(ToArgb(0x12345678, 255), 0xFF785634u);
  // Alphas out of range are clamped, not wrapped.
  EXPECT_EQ(ToArgb(0x010203, 300), 0xFF030201u);
  EXPECT_EQ(ToArgb(0x010203, -1), 0x00030201u);
}

}  // namespace
}  // namespace board
