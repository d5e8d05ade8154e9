// The wait window with plain Win32: the form "TfrmWait" with two labels, a progress bar and a
// stop button whose 16 x 16 glyph (a red diagonal cross on white) is drawn here. It is created
// hidden and stays hidden unless something outside the plug-in shows it.
//
// Every window is owned by one hidden application window of this module; destroying that at
// unload takes all wait windows with it, so none outlives the code of its window procedure. The
// font and the glyph are made once and shared. The texts are Shift-JIS literals, shown through the
// wide functions so that they do not depend on the system's ANSI code page.
#include "platform/win32/windows_api.h"
#include <commctrl.h>

#include <string>

#include "page/sjis_literal.h"
#include "platform/platform.h"

namespace tarvo::platform {

namespace {

constexpr char kFormClass[] = "TfrmWait";
constexpr int kClientWidth = 219;
constexpr int kClientHeight = 98;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;  // single border, no border icons
constexpr DWORD kFormExStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr int kGlyphSize = 16;
constexpr int kGlyphSpacing = 4;  // between the glyph and the caption
constexpr char kGlyphProperty[] = "Glyph";  // the button's glyph bitmap, a window property

// The controls, in the order of creation (which is also the tab order).
enum ControlId : int { kLblCount = 101, kLabel3 = 102, kProgressBar = 103, kBtnStop = 104 };

// One pixel of the glyph: a red cross from corner to corner, three pixels wide, inside a white
// margin of three pixels.
constexpr bool IsCrossPixel(int x, int y) {
  if (x < 3 || y < 3 || x > 12 || y > 12) return false;
  const int down = x - y;
  const int up = x + y - (kGlyphSize - 1);
  return (down >= -1 && down <= 1) || (up >= -1 && up <= 1);
}

// A colour as a 32-bit DIB stores it: 0x00RRGGBB.
constexpr DWORD DibPixel(COLORREF colour) {
  return (DWORD{GetRValue(colour)} << 16) | (DWORD{GetGValue(colour)} << 8) | DWORD{GetBValue(colour)};
}

// A Shift-JIS text for the wide functions: the controls show it right whatever the system's ANSI
// code page is.
std::wstring Wide(std::string_view sjis) {
  const std::u16string units = Cp932ToUtf16(sjis);
  return std::wstring(units.begin(), units.end());
}

// Per window: what the stop button calls.
struct FormData {
  StopCallback onStop = nullptr;
};

// What this module made once and releases at unload.
class Resources {
 public:
  ~Resources() {
    // Only the thread that made the windows may destroy them; owned windows go with the owner.
    if (application_ != nullptr && ::IsWindow(application_) &&
        ::GetWindowThreadProcessId(application_, nullptr) == ::GetCurrentThreadId()) {
      ::DestroyWindow(application_);
    }
    if (font_ != nullptr) ::DeleteObject(font_);
    if (glyph_ != nullptr) ::DeleteObject(glyph_);
    if (classAtom_ != 0) ::UnregisterClassA(kFormClass, instance_);
  }

  HINSTANCE Instance() {
    if (instance_ == nullptr) {
      HMODULE self = nullptr;
      ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&IsCrossPixel), &self);
      instance_ = self;
    }
    return instance_;
  }

  ATOM FormClass(WNDPROC procedure) {
    if (classAtom_ == 0) {
      INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
      ::InitCommonControlsEx(&controls);
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = procedure;
      wc.hInstance = Instance();
      wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
      wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
      wc.lpszClassName = kFormClass;
      classAtom_ = ::RegisterClassExA(&wc);
    }
    return classAtom_;
  }

  // The hidden owner of every wait window, playing the application object.
  HWND Application() {
    if (application_ == nullptr || !::IsWindow(application_)) {
      application_ = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance(), nullptr);
    }
    return application_;
  }

  HFONT Font() {
    if (font_ == nullptr) {
      const std::wstring face = Wide("ＭＳ Ｐゴシック"_sj);
      font_ = ::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    }
    return font_;
  }

  HBITMAP Glyph() {
    if (glyph_ == nullptr) {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = kGlyphSize;
      info.bmiHeader.biHeight = -kGlyphSize;  // top row first
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      glyph_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (glyph_ != nullptr && bits != nullptr) {
        auto* pixels = static_cast<DWORD*>(bits);
        for (int y = 0; y < kGlyphSize; ++y) {
          for (int x = 0; x < kGlyphSize; ++x) {
            pixels[y * kGlyphSize + x] = DibPixel(IsCrossPixel(x, y) ? kRed : kWhite);
          }
        }
        ::GdiFlush();
      }
    }
    return glyph_;
  }

 private:
  HINSTANCE instance_ = nullptr;
  ATOM classAtom_ = 0;
  HWND application_ = nullptr;
  HFONT font_ = nullptr;
  HBITMAP glyph_ = nullptr;
};

Resources resources;

bool IsWaitForm(HWND window) {
  char name[sizeof kFormClass + 1] = {};
  return window != nullptr && ::GetClassNameA(window, name, sizeof name) > 0 && std::string_view(name) == kFormClass;
}

// One pass over the messages waiting for this thread. Keyboard input for a wait window goes
// through the dialog rules (Tab, Alt+X). A quit message is put back for the host's own loop.
void PumpOnce() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    HWND root = msg.hwnd != nullptr ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (IsWaitForm(root) && ::IsDialogMessageA(root, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// FormClose: the window is hidden, never destroyed.
void FormClose(HWND form) {
  PumpOnce();
  ::ShowWindow(form, SW_HIDE);
}

void BtnStopClick(HWND form) {
  const auto* data = reinterpret_cast<const FormData*>(::GetWindowLongPtrA(form, GWLP_USERDATA));
  if (data != nullptr && data->onStop != nullptr) data->onStop();
  FormClose(form);
}

// The stop button: a push button face, then the glyph and the caption side by side, centred.
void DrawStopButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT face = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  ::DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

  wchar_t caption[64] = {};
  ::GetWindowTextW(item.hwndItem, caption, 64);
  HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
  RECT measure{0, 0, 0, 0};
  ::DrawTextW(dc, caption, -1, &measure, DT_CALCRECT | DT_SINGLELINE);
  const int textWidth = measure.right - measure.left;
  const int textHeight = measure.bottom - measure.top;
  const int shift = pushed ? 1 : 0;
  const int width = face.right - face.left;
  const int height = face.bottom - face.top;
  const int left = face.left + (width - (kGlyphSize + kGlyphSpacing + textWidth)) / 2 + shift;

  auto glyph = static_cast<HBITMAP>(::GetPropA(item.hwndItem, kGlyphProperty));
  if (glyph != nullptr) {
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = ::SelectObject(source, glyph);
    // White is the glyph's background and shows the button face instead.
    ::GdiTransparentBlt(dc, left, face.top + (height - kGlyphSize) / 2 + shift, kGlyphSize, kGlyphSize, source, 0, 0,
                        kGlyphSize, kGlyphSize, kWhite);
    ::SelectObject(source, oldBitmap);
    ::DeleteDC(source);
  }
  RECT text{left + kGlyphSize + kGlyphSpacing, face.top + (height - textHeight) / 2 + shift, 0, 0};
  text.right = text.left + textWidth;
  text.bottom = text.top + textHeight;
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor((item.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  ::DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | ((item.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0));
  ::SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = face;
    ::InflateRect(&focus, -4, -4);
    ::DrawFocusRect(dc, &focus);
  }
}

LRESULT CALLBACK FormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kBtnStop && HIWORD(wParam) == BN_CLICKED) {
        BtnStopClick(form);
        return 0;
      }
      break;
    case WM_CLOSE:
      FormClose(form);
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const bool label3 = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kLabel3;
      ::SetTextColor(dc, label3 ? kNavy : ::GetSysColor(COLOR_WINDOWTEXT));
      ::SetBkColor(dc, kWhite);
      return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item != nullptr && item->CtlID == kBtnStop) {
        DrawStopButton(*item);
        return TRUE;
      }
      break;
    }
    case WM_DESTROY:
      ::RemovePropA(::GetDlgItem(form, kBtnStop), kGlyphProperty);
      break;
    case WM_NCDESTROY:
      delete reinterpret_cast<FormData*>(::SetWindowLongPtrA(form, GWLP_USERDATA, 0));
      break;
    default:
      break;
  }
  return ::DefWindowProcA(form, message, wParam, lParam);
}

HWND AddControl(HWND form, const wchar_t* kind, std::string_view text, DWORD style, int id, int left, int top,
                int width, int height) {
  const std::wstring caption = Wide(text);
  HWND control = ::CreateWindowExW(0, kind, caption.c_str(), WS_CHILD | WS_VISIBLE | style, left, top, width, height,
                                   form, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), resources.Instance(),
                                   nullptr);
  if (control != nullptr) ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(resources.Font()), FALSE);
  return control;
}

}  // namespace

void CreateWaitWindow(StopCallback onStop) {
  if (resources.FormClass(&FormProcedure) == 0) return;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND form = ::CreateWindowExA(kFormExStyle, kFormClass, "", kFormStyle, left, top, width, height,
                                resources.Application(), nullptr, resources.Instance(), nullptr);
  if (form == nullptr) return;  // no desktop to make windows on: the batch runs without one
  ::SetWindowLongPtrA(form, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new FormData{onStop}));
  ::SendMessageA(form, WM_SETFONT, reinterpret_cast<WPARAM>(resources.Font()), FALSE);

  AddControl(form, L"STATIC", "-/-", SS_RIGHT, kLblCount, 183, 52, 18, 12);
  AddControl(form, L"STATIC", "しばらくお待ちください"_sj, SS_LEFT, kLabel3, 20, 7, 109, 12);
  HWND bar = AddControl(form, PROGRESS_CLASSW, "", 0, kProgressBar, 16, 24, 185, 25);
  if (bar != nullptr) ::SendMessageA(bar, PBM_SETRANGE32, 0, 100);
  HWND stop = AddControl(form, L"BUTTON", "中止(&X)"_sj, BS_PUSHBUTTON | BS_OWNERDRAW | WS_TABSTOP, kBtnStop, 56, 64,
                         105, 25);
  if (stop != nullptr) ::SetPropA(stop, kGlyphProperty, resources.Glyph());
}

void PumpWaitWindow(int, int, std::string_view) { PumpOnce(); }

void CloseWaitWindow() {}

}  // namespace tarvo::platform
