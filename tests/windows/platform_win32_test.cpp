// The Win32 platform layer, run under Wine: files, paths, the host module, message boxes,
// downloads from a loopback server, code page spot checks and the wait window.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "page/sjis_literal.h"
#include "platform/platform.h"
#include "tests/windows/loopback_server.h"

// Found by the module test through the program's own export table.
extern "C" __declspec(dllexport) int TarvoTestExport() { return 42; }

namespace tarvo::platform {
namespace {

// A fresh folder under the temporary folder, removed with its files afterwards.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "tarvo-win32-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(::GetTickCount64());
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((path_ + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string full = path_ + "\\" + name;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          ::RemoveDirectoryA(full.c_str());
        } else {
          ::DeleteFileA(full.c_str());
        }
      } while (::FindNextFileA(find, &entry));
      ::FindClose(find);
    }
    ::RemoveDirectoryA(path_.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// ---- Files ----------------------------------------------------------------------------------

TEST(Win32Files, ExistenceReadingAndWriting) {
  TempFolder folder;
  const std::string file = folder / "a.txt";
  static constexpr char kBytes[] = "line\r\nlone\ncr\r\0zero\x1A\xFF";
  const std::string bytes(kBytes, sizeof kBytes - 1);
  ASSERT_TRUE(WriteWholeFile(file, bytes));
  EXPECT_TRUE(FileExists(file));
  EXPECT_EQ(ReadWholeFile(file), bytes);  // binary both ways: no line-end or end-of-file translation
  ASSERT_TRUE(WriteWholeFile(file, "short"));
  EXPECT_EQ(ReadWholeFile(file), "short");  // replaced, not overwritten in place

  ::CreateDirectoryA((folder / "sub").c_str(), nullptr);
  struct Case {
    std::string path;
    bool exists;
  };
  const Case cases[] = {{file, true}, {folder / "sub", false}, {folder / "absent.txt", false}, {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileExists(c.path), c.exists);
  }
  EXPECT_THROW(ReadWholeFile(folder / "sub"), FileError);
  EXPECT_THROW(ReadWholeFile(folder / "absent.txt"), FileError);
  EXPECT_FALSE(WriteWholeFile(folder / "sub", "x"));

  EXPECT_TRUE(DeleteFileAt(file));
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(DeleteFileAt(file));
}

TEST(Win32Files, FileErrorNamesTheFile) {
  TempFolder folder;
  try {
    ReadWholeFile(folder / "AuthDB.dat");
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("AuthDB.dat"), std::string::npos) << e.what();
  }
}

TEST(Win32Ini, LongValuesComeBackWhole) {
  TempFolder folder;
  const std::string value(5000, 'v');
  ASSERT_TRUE(WriteWholeFile(folder / "Setting.ini", "[Entry]\r\nReadSet=" + value + "\r\n"));
  EXPECT_EQ(ReadIniString(folder / "Setting.ini", "Entry", "ReadSet", "x"), value);
  EXPECT_EQ(ReadIniString(folder / "Absent.ini", "Entry", "ReadSet", std::string("既読"_sj)), "既読"_sj);
}

// ---- Paths and the environment ----------------------------------------------------------------

TEST(Win32Paths, FoldersOfTheProgram) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string expected = path;
  expected.erase(expected.find_last_of('\\'));
  EXPECT_EQ(ExecutableFolder(), expected);
  EXPECT_EQ(LibraryFolder(), expected);  // the platform layer is linked into this program
  EXPECT_EQ(PathSeparator(), '\\');
}

TEST(Win32Paths, EnvironmentValues) {
  const std::string longValue(1000, 'e');
  ASSERT_TRUE(SetEnvironmentValue("TARVO_WIN32_TEST", longValue));
  EXPECT_EQ(EnvironmentVariable("TARVO_WIN32_TEST"), longValue);
  ASSERT_TRUE(SetEnvironmentValue("TARVO_WIN32_TEST", "short"));
  EXPECT_EQ(EnvironmentVariable("TARVO_WIN32_TEST"), "short");
  ::SetEnvironmentVariableA("TARVO_WIN32_TEST", nullptr);
  EXPECT_EQ(EnvironmentVariable("TARVO_WIN32_TEST"), "");
}

// ---- The host program as a library -----------------------------------------------------------

TEST(Win32Module, LoadingTheRunningProgramGivesItsOwnModule) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  ModuleHandle self = LoadModule(path);
  ASSERT_EQ(self, static_cast<ModuleHandle>(::GetModuleHandleA(nullptr)));
  auto* found = reinterpret_cast<int (*)()>(FindFunction(self, "TarvoTestExport"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found(), 42);
  EXPECT_EQ(FindFunction(self, "NoSuchFunction"), nullptr);
  EXPECT_EQ(FindFunction(nullptr, "TarvoTestExport"), nullptr);
  FreeModule(self);
  FreeModule(nullptr);
  EXPECT_EQ(LoadModule(ExecutableFolder() + "\\no-such-host.exe"), nullptr);
}

// ---- Message boxes -----------------------------------------------------------------------------

// What a message box showed. A hook on this thread plays the user: it reads the box and presses OK.
struct SeenBox {
  std::string title;
  std::string text;
  bool icon = false;
};
std::vector<SeenBox> seen_boxes;

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
  const LONG_PTR style = ::GetWindowLongPtrA(child, GWL_STYLE);
  if ((style & SS_TYPEMASK) == SS_ICON && ::SendMessageA(child, STM_GETICON, 0, 0) != 0) {
    *reinterpret_cast<bool*>(found) = true;
  }
  return TRUE;
}

// Reads the box once its modal loop runs (its text is set by then) and presses OK.
void CALLBACK ReadAndAnswer(HWND box, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(box, timer);
  char title[256] = {};
  char text[1024] = {};
  ::GetWindowTextA(box, title, sizeof title);
  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  SeenBox seen{title, text, false};
  ::EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&seen.icon));
  seen_boxes.push_back(seen);
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = reinterpret_cast<HWND>(wParam);
  char kind[16] = {};
  if (code == HCBT_ACTIVATE) ::GetClassNameA(box, kind, sizeof kind);
  // A box may be activated more than once before its OK arrives; it is answered once.
  if (std::string(kind) == "#32770" && ::GetPropA(box, "Answered") == nullptr) {
    ::SetPropA(box, "Answered", box);
    ::SetTimer(box, 1, 1, &ReadAndAnswer);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Win32Messages, PlainMessageAndErrorBox) {
  HHOOK hook = ::SetWindowsHookExA(WH_CBT, &AnswerBoxes, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  seen_boxes.clear();
  ::MessageBoxA(nullptr, "probe", nullptr, MB_OK);  // the system's default title
  ShowMessage("インターネットに接続されていません"_sj);
  ShowErrorBox("関数がありません。"_sj);
  ::UnhookWindowsHookEx(hook);

  ASSERT_EQ(seen_boxes.size(), 3u);
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program = path;
  program = program.substr(program.find_last_of('\\') + 1);
  program.erase(program.rfind('.'));
  EXPECT_EQ(seen_boxes[1].title, program);  // the application's title
  EXPECT_EQ(seen_boxes[1].text, "インターネットに接続されていません"_sj);
  EXPECT_FALSE(seen_boxes[1].icon);
  EXPECT_EQ(seen_boxes[2].title, seen_boxes[0].title);  // no title of its own
  EXPECT_EQ(seen_boxes[2].text, "関数がありません。"_sj);
  EXPECT_TRUE(seen_boxes[2].icon);
}

// ---- Code page 932 -----------------------------------------------------------------------------
// Every code is compared with the Linux layer by the cp932 Wine test; these are the paths that
// comparison does not take.

TEST(Win32CodePage, TerminalConversions) {
  struct Case {
    const char* name;
    std::string sjis;
    std::string utf8;
  };
  const Case cases[] = {
      {"text", std::string("漢字ｶﾅ abc"_sj), "漢字ｶﾅ abc"},
      {"lead byte with a bad trail byte", "a\x81\x20z", "a? z"},
      {"unassigned code", "\x85\x40", "?"},
      {"lead byte at the end", "ab\x88", "ab?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Cp932ToUtf8(c.sjis), c.utf8);
  }
  EXPECT_EQ(Utf8ToCp932("漢字ｶﾅ \xF0\x9F\x98\x80."), std::string("漢字ｶﾅ "_sj) + "?.");  // one per character
  EXPECT_EQ(Cp932ToUtf16(std::string(1000000, 'a')).size(), 1000000u);
}

// ---- Downloads ---------------------------------------------------------------------------------

TEST(Win32Download, StatusRetriesAndNoFileOnFailure) {
  testing::LoopbackServer server;
  ASSERT_NE(server.Port(), 0);
  const std::string page = "<html>" + std::string("ページ") + "</html>";
  using Reply = testing::LoopbackServer::Reply;
  struct Case {
    const char* name;
    std::vector<Reply> replies;
    bool saved;
    int requests;
  };
  const Case cases[] = {
      {"plain page", {{200, page, ""}}, true, 1},
      {"not found", {{404, "missing", ""}}, false, 1},
      {"client error is not retried", {{403, "no", ""}}, false, 1},
      {"server error, then the page", {{503, "busy", ""}, {200, page, ""}}, true, 2},
      {"server error every time", {{500, "broken", ""}}, false, 3},
      {"throttled with Retry-After", {{429, "slow down", "Retry-After: 1\r\n"}, {200, page, ""}}, true, 2},
      {"redirect", {{302, "", "Location: /target\r\n"}}, true, 1},
  };
  server.Script("/target", {{200, page, ""}});
  TempFolder folder;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "/case" + std::to_string(++n);
    server.Script(path, c.replies);
    const std::string file = folder / ("Temp" + std::to_string(n) + ".html");
    EXPECT_EQ(DownloadUrlToFile(server.Url(path), file), c.saved);
    EXPECT_EQ(FileExists(file), c.saved);
    EXPECT_FALSE(FileExists(file + ".part"));
    if (c.saved) {
      EXPECT_EQ(ReadWholeFile(file), page);
    }
    EXPECT_EQ(server.Requests(path), c.requests);
  }
  EndDownloadSession();
}

TEST(Win32Download, EveryDownloadAsksTheServer) {
  testing::LoopbackServer server;
  server.Script("/same", {{200, "first", ""}, {200, "second", ""}});
  TempFolder folder;
  ASSERT_TRUE(DownloadUrlToFile(server.Url("/same"), folder / "Temp.html"));
  ASSERT_TRUE(DownloadUrlToFile(server.Url("/same"), folder / "Temp.html"));
  EXPECT_EQ(ReadWholeFile(folder / "Temp.html"), "second");  // not the cached first answer
}

TEST(Win32Download, ReachabilityAndRefusedConnections) {
  int closedPort = 0;
  {
    testing::LoopbackServer gone;
    closedPort = gone.Port();
  }
  testing::LoopbackServer server;
  EXPECT_TRUE(CanReach(server.Url("/anything?q=1")));
  const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort) + "/page";
  EXPECT_FALSE(CanReach(refused));
  EXPECT_FALSE(CanReach("not a url"));
  EXPECT_FALSE(CanReach("ftp://127.0.0.1/"));
  TempFolder folder;
  EXPECT_FALSE(DownloadUrlToFile(refused, folder / "Temp.html"));
  EXPECT_FALSE(FileExists(folder / "Temp.html"));
}

// ---- The wait window ---------------------------------------------------------------------------

int stop_calls = 0;
void CountStop() { ++stop_calls; }

// The wait windows of this thread, in the order they were made.
std::vector<HWND> WaitWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM list) -> BOOL {
        char name[32] = {};
        ::GetClassNameA(window, name, sizeof name);
        auto* found = reinterpret_cast<std::vector<HWND>*>(list);
        if (std::string(name) == "TfrmWait") found->insert(found->begin(), window);  // the newest is on top
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

class WaitWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    stop_calls = 0;
    before_ = WaitWindows().size();
    CreateWaitWindow(&CountStop);
    const std::vector<HWND> windows = WaitWindows();
    ASSERT_EQ(windows.size(), before_ + 1);
    form_ = windows.back();
    stop_ = ::FindWindowExA(form_, nullptr, "Button", nullptr);
    ASSERT_NE(stop_, nullptr);
  }
  std::size_t before_ = 0;
  HWND form_ = nullptr;
  HWND stop_ = nullptr;
};

TEST_F(WaitWindow, FormIsMadeHiddenAsDesigned) {
  EXPECT_FALSE(::IsWindowVisible(form_));
  const LONG_PTR style = ::GetWindowLongPtrA(form_, GWL_STYLE);
  const LONG_PTR exStyle = ::GetWindowLongPtrA(form_, GWL_EXSTYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_NE(exStyle & WS_EX_TOPMOST, 0);
  EXPECT_NE(::GetWindow(form_, GW_OWNER), nullptr);  // owned by the application window

  RECT client{};
  ::GetClientRect(form_, &client);
  EXPECT_EQ(client.right, 219);
  EXPECT_EQ(client.bottom, 98);
  RECT frame{};
  ::GetWindowRect(form_, &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);

  // The controls in the order of creation, with their bounds in client pixels.
  struct Control {
    const char* kind;
    std::string text;
    RECT bounds;
  };
  const Control expected[] = {
      {"Static", "-/-", {183, 52, 201, 64}},
      {"Static", std::string("しばらくお待ちください"_sj), {20, 7, 129, 19}},
      {"msctls_progress32", "", {16, 24, 201, 49}},
      {"Button", std::string("中止(&X)"_sj), {56, 64, 161, 89}},
  };
  HWND child = ::GetWindow(form_, GW_CHILD);
  for (const Control& c : expected) {
    SCOPED_TRACE(c.kind);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(ClassOf(child), c.kind);
    EXPECT_EQ(TextOf(child), c.text);
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, c.bounds.left);
    EXPECT_EQ(r.top, c.bounds.top);
    EXPECT_EQ(r.right, c.bounds.right);
    EXPECT_EQ(r.bottom, c.bounds.bottom);
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);

  HWND count = ::GetWindow(form_, GW_CHILD);
  EXPECT_NE(::GetWindowLongPtrA(count, GWL_STYLE) & SS_RIGHT, 0);
  HWND bar = ::FindWindowExA(form_, nullptr, "msctls_progress32", nullptr);
  EXPECT_EQ(::SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(::SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);

  LOGFONTA font{};
  ASSERT_NE(::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(stop_, WM_GETFONT, 0, 0)), sizeof font, &font), 0);
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(std::string(font.lfFaceName), "ＭＳ Ｐゴシック"_sj);
}

TEST_F(WaitWindow, GlyphIsARedCrossOnWhite) {
  auto glyph = static_cast<HBITMAP>(::GetPropA(stop_, "Glyph"));
  ASSERT_NE(glyph, nullptr);
  BITMAP size{};
  ::GetObjectA(glyph, sizeof size, &size);
  EXPECT_EQ(size.bmWidth, 16);
  EXPECT_EQ(size.bmHeight, 16);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  DWORD pixels[16 * 16] = {};
  HDC screen = ::GetDC(nullptr);
  ASSERT_EQ(::GetDIBits(screen, glyph, 0, 16, pixels, &info, DIB_RGB_COLORS), 16);
  ::ReleaseDC(nullptr, screen);
  struct Pixel {
    int x, y;
    DWORD colour;  // 0x00RRGGBB
  };
  const Pixel probes[] = {{0, 0, 0xFFFFFF},   {15, 15, 0xFFFFFF}, {7, 0, 0xFFFFFF}, {3, 3, 0xFF0000},
                          {12, 12, 0xFF0000}, {12, 3, 0xFF0000},  {3, 12, 0xFF0000}, {7, 8, 0xFF0000},
                          {7, 3, 0xFFFFFF}};
  for (const Pixel& p : probes) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    EXPECT_EQ(pixels[p.y * 16 + p.x] & 0xFFFFFF, p.colour);
  }
  // Symmetric about both diagonals.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(pixels[y * 16 + x], pixels[x * 16 + y]);
      EXPECT_EQ(pixels[y * 16 + x], pixels[y * 16 + (15 - x)]);
    }
  }
}

TEST_F(WaitWindow, StopButtonActsWhenTheQueueIsServiced) {
  ::PostMessageA(stop_, BM_CLICK, 0, 0);
  EXPECT_EQ(stop_calls, 0);  // nothing happens between the passes over the queue
  PumpWaitWindow(1, 3, "9784861203312");
  EXPECT_EQ(stop_calls, 1);
  EXPECT_TRUE(::IsWindow(form_));  // closed means hidden, never destroyed
  EXPECT_FALSE(::IsWindowVisible(form_));
  PumpWaitWindow(2, 3, "9784861203312");
  EXPECT_EQ(stop_calls, 1);
  CloseWaitWindow();
  EXPECT_TRUE(::IsWindow(form_));
}

TEST_F(WaitWindow, ClosingAShownWindowHidesIt) {
  ::ShowWindow(form_, SW_SHOWNA);  // shown from outside the plug-in
  ASSERT_TRUE(::IsWindowVisible(form_));
  ::PostMessageA(form_, WM_CLOSE, 0, 0);
  PumpWaitWindow(1, 1, "");
  EXPECT_TRUE(::IsWindow(form_));
  EXPECT_FALSE(::IsWindowVisible(form_));
  EXPECT_EQ(stop_calls, 0);  // closing is not stopping

  ::ShowWindow(form_, SW_SHOWNA);
  ::SendMessageA(form_, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(stop_), BN_CLICKED), reinterpret_cast<LPARAM>(stop_));
  EXPECT_EQ(stop_calls, 1);
  EXPECT_FALSE(::IsWindowVisible(form_));
}

TEST_F(WaitWindow, EachBatchGetsANewWindowAndKeepsTheOld) {
  CreateWaitWindow(&CountStop);
  const std::vector<HWND> windows = WaitWindows();
  ASSERT_EQ(windows.size(), before_ + 2);
  EXPECT_EQ(windows[windows.size() - 2], form_);
  EXPECT_FALSE(::IsWindowVisible(windows.back()));
  // A press on the old window's button still reaches its own callback.
  ::PostMessageA(stop_, BM_CLICK, 0, 0);
  PumpWaitWindow(1, 1, "");
  EXPECT_EQ(stop_calls, 1);
}

TEST(Win32WaitWindowPump, QuitIsLeftForTheHostsLoop) {
  ::PostQuitMessage(3);
  PumpWaitWindow(1, 1, "");
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
}  // namespace tarvo::platform
