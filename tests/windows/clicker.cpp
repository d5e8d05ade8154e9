// The user at the keyboard, for batches run under Wine: answers every message box with OK and
// writes one line per box to a log, in UTF-8:
//
//   <title> TAB <"error" when the box shows the error icon, else "plain"> TAB <text>
//
// Usage: clicker.exe <log file> <stop file>. It ends once the stop file exists. A box is found
// by looking at the top-level windows every few milliseconds, so it works across processes
// without touching the program that shows the box.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

constexpr int kMessageTextId = 0xFFFF;  // the text control of a message box
constexpr DWORD kPollMilliseconds = 10;

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  ::GetWindowTextW(window, buffer, 1024);
  return buffer;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
  const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
  if ((style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE) != 0 && ::SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    *reinterpret_cast<bool*>(found) = true;
  }
  return TRUE;
}

struct Answered {
  std::FILE* log;
  std::set<HWND> boxes;  // a box stays on screen until its OK arrives; it is logged once
};

BOOL CALLBACK Answer(HWND window, LPARAM context) {
  auto* answered = reinterpret_cast<Answered*>(context);
  wchar_t kind[16] = {};
  ::GetClassNameW(window, kind, 16);
  if (std::wstring(kind) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  HWND text = ::GetDlgItem(window, kMessageTextId);
  if (text == nullptr) return TRUE;
  if (!answered->boxes.insert(window).second) return TRUE;
  bool icon = false;
  ::EnumChildWindows(window, &FindIcon, reinterpret_cast<LPARAM>(&icon));
  std::fprintf(answered->log, "%s\t%s\t%s\n", Utf8(TextOf(window)).c_str(), icon ? "error" : "plain",
               Utf8(TextOf(text)).c_str());
  std::fflush(answered->log);
  ::PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: clicker <log file> <stop file>\n");
    return 2;
  }
  std::FILE* log = std::fopen(argv[1], "ab");
  if (log == nullptr) return 1;
  Answered answered{log, {}};
  while (::GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) {
    ::EnumWindows(&Answer, reinterpret_cast<LPARAM>(&answered));
    ::Sleep(kPollMilliseconds);
  }
  std::fclose(log);
  return 0;
}
