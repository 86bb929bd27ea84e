#include "skin/win32/gdiplus_api.h"

#include <algorithm>
#include <string>
#include <vector>

#include "skin/gdiplus_binding_rules.h"

namespace board::gp {

namespace {

int WINAPI ShowBindFailure(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return MessageBoxW(owner, text, caption, type);
}

const BindingCalls kReal = {&LoadLibraryW, &GetProcAddress, &FreeLibrary, &ShowBindFailure};

std::wstring ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return {};  // longer than any Windows path
    path.resize(path.size() * 2);
  }
  return std::wstring(DirectoryOf(path));
}

// What the module started: its own token (the latest) and every token still running.
struct Tokens {
  ULONG_PTR own = 0;
  std::vector<ULONG_PTR> running;
};
Tokens& ModuleTokens() {
  static Tokens* tokens = new Tokens;  // outlives static destruction, as the table does
  return *tokens;
}

}  // namespace

BindingCalls& CurrentBindingCalls() {
  static BindingCalls calls = kReal;
  return calls;
}

const BindingCalls& RealBindingCalls() { return kReal; }

FARPROC EntryBinding::Bind() {
  if (address_ || tried_) return address_;
  tried_ = true;
  const BindingCalls& sys = CurrentBindingCalls();
  const ExportRef ref = ParseExport(export_ ? export_ : "");
  const std::wstring library = library_ ? library_ : L"";
  if (ref.kind != ExportRef::kInvalid) {
    const LPCSTR lookup =
        ref.kind == ExportRef::kOrdinal ? MAKEINTRESOURCEA(ref.ordinal) : export_;
    // A named library is the first candidate that loads; with no name, the first of the
    // system libraries that has the export.
    const std::wstring directory = library.empty() ? std::wstring() : ProgramDirectory();
    for (const std::wstring& candidate : LibraryCandidates(library, directory)) {
      HMODULE module = sys.loadLibrary(candidate.c_str());
      if (!module) continue;
      FARPROC address = sys.getProcAddress(module, lookup);
      if (address) {
        module_ = module;
        address_ = address;
        return address_;
      }
      sys.freeLibrary(module);
      if (!library.empty()) break;
    }
  }
  const std::wstring text = BindFailureMessage(library, export_ ? export_ : "");
  sys.messageBox(nullptr, text.c_str(), L"SoundBoard", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  return nullptr;
}

GdiPlusApi& Api() {
  static GdiPlusApi* api = new GdiPlusApi;
  return *api;
}

ULONG_PTR StartGdiPlus(UINT32 version) {
  Gdiplus::GdiplusStartupInput input;
  input.GdiplusVersion = version;
  input.DebugEventCallback = nullptr;
  input.SuppressBackgroundThread = FALSE;
  input.SuppressExternalCodecs = FALSE;
  ULONG_PTR token = 0;
  if (Api().GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok || token == 0) return 0;
  Tokens& tokens = ModuleTokens();
  tokens.own = token;
  tokens.running.push_back(token);
  return token;
}

void StopGdiPlus() {
  const ULONG_PTR token = ModuleTokens().own;
  ModuleTokens().own = 0;
  StopGdiPlus(token);
}

void StopGdiPlus(ULONG_PTR token) {
  if (token == 0) return;
  Tokens& tokens = ModuleTokens();
  auto it = std::find(tokens.running.begin(), tokens.running.end(), token);
  if (it == tokens.running.end()) return;  // already shut down, or never ours
  tokens.running.erase(it);
  if (tokens.own == token) tokens.own = 0;
  Api().GdiplusShutdown(token);
}

bool GdiPlusRunning() { return !ModuleTokens().running.empty(); }

}  // namespace board::gp
