// The operating-system services Tarvexel uses, behind one header.
//
// On Windows these are the system's own calls and types. Everywhere else the
// same names are declared here over our own types and implemented by the
// files beside this one, so that the launcher and the profile code read the
// same on every platform and contain no platform conditionals.
#ifndef TARVEXEL_PLATFORM_SERVICES_H
#define TARVEXEL_PLATFORM_SERVICES_H

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

#ifdef _WIN32

#include <windows.h>
#include <shellapi.h>
#include <cstdio>

// The shell reads a request record by the size it carries in cbSize. The
// handhelds' shell knows the 32-bit record of 60 bytes; should a header or a
// packing setting ever change that layout, every launch would fail at run
// time, so the build stops here instead.
#ifdef _WIN64
static_assert(sizeof(SHELLEXECUTEINFO) == 112, "the 64-bit shell request record is 112 bytes");
#else
static_assert(sizeof(SHELLEXECUTEINFO) == 60, "the 32-bit shell request record is 60 bytes");
#endif

// Windows CE's shell starts every verb before it returns: there is nothing
// to wait for, and no flag to ask it with.
#ifndef SEE_MASK_NOASYNC
#define SEE_MASK_NOASYNC 0
#endif

#else

#include <cstdint>

using BOOL = int;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using LPCWSTR = const wchar_t*;
using LPWSTR = wchar_t*;
using HANDLE = void*;
using HWND = struct WindowTag*;
using HINSTANCE = struct InstanceTag*;

#define WINAPI

constexpr UINT MB_OK = 0x0000;
constexpr UINT WM_CLOSE = 0x0010;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr ULONG SEE_MASK_NOASYNC = 0x00000100;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_MINIMIZE = 6;
constexpr UINT SMTO_ABORTIFHUNG = 0x0002;
constexpr UINT CP_UTF8 = 65001;

// The shell request record, field for field as the Windows shell takes it;
// the fields this port does not use stay in place so code that fills the
// record reads the same on both platforms.
struct SHELLEXECUTEINFO {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  void* lpIDList;
  LPCWSTR lpClass;
  void* hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;
};

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND window);
// A desktop's requests never wait on the window: the flags and the time are
// Windows' business. Only WM_CLOSE is ever sent.
LRESULT SendMessageTimeoutW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT milliseconds, DWORD_PTR* result);
// Only SW_MINIMIZE is ever asked for here.
BOOL ShowWindowAsync(HWND window, int command);
BOOL ShellExecuteEx(SHELLEXECUTEINFO* request);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);
void Sleep(DWORD milliseconds);

// The program's entry, as Windows CE names it; main() calls it here.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);

#endif

// Window calls of our own, answered on every platform, Windows included
// (platform/win32/windows.cpp builds them from the calls above).

// How a rule's title is compared with a window's: with the whole title, or
// with its start, its end or any part of it.
enum class TitleMatch { exact, prefix, suffix, contains };

// The window a rule means. Of the top-level windows whose names match (as
// FindWindowW compares them on Windows; the title as `titleMatch` says),
// only those shown: a hidden one, a program's helper window or one put away
// in the tray, is nothing a person can see or act on. The one in front first
// when it is one of them, then the others topmost first. Null when none
// matches.
HWND FindShownWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch);

// Of the windows FindShownWindow chooses from, the one the user has
// gone longest without: the lowest in the stacking order where there is
// one. Null when none matches.
HWND FindLeastRecentWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch);

// SetForegroundWindow as a user means it: a minimised window comes back
// too, which on Windows SetForegroundWindow alone does not do. Like every
// call on another program's window it is bounded: a program that stops
// answering costs the run about a second at most.
BOOL ActivateWindow(HWND window);

// ActivateWindow, the window first moved to the workspace (virtual desktop)
// the user is on, so that it comes to them and they stay where they are.
// Where the desktop lets no program move a window there, it activates the
// window where it is, as ActivateWindow does.
BOOL BringWindowHere(HWND window);

// Why BringWindowHere cannot move windows on this desktop, for a person;
// empty where it can.
std::wstring WhyWindowsStayOnTheirWorkspace();

// A window as a person writing a rule needs to see it.
struct WindowDescription {
  HWND handle = nullptr;
  // Every name "class" matches: on X11 the instance and the class of
  // WM_CLASS; on Wayland the app id; on Windows the class name. On Linux a
  // rule's class matches any of them ignoring ASCII letter case.
  std::vector<std::wstring> classes;
  std::wstring title;
  bool front = false;
  bool minimized = false;
  // The desktop's own name for the window, the same from run to run while
  // the window lives (an X11 window id, the GNOME extension's sequence
  // number); empty where the desktop gives none, as wlroots does.
  std::wstring id;
};

// For the companion program, tarvexel-inspect: the windows the search looks
// at, in its order, the one in front marked; empty when there are none.
std::vector<WindowDescription> ListTopLevelWindows();

// The window system the window calls use, named for a person ("X11,
// display :0, ..."), or "none" and why, with what to do about it.
std::wstring DescribeWindowSystem();

// For tarvexel-inspect's key bindings: the X11 window manager's own name
// (_NET_WM_NAME of its _NET_SUPPORTING_WM_CHECK window: "Openbox"), or empty
// where there is no X display, no EWMH window manager, or no X11 at all.
std::wstring WindowManagerName();

// Why no window is in front, and what to do about it, where the desktop can
// tell (GNOME's overview holds the focus while it is open); empty otherwise.
std::wstring WhyNoWindowIsInFront();

// What the shell's "Open" would do with a file and its parameters, found
// out without starting anything. On Windows the shell decides at run time;
// on Linux the decision is made here, by the same code that launches.
struct OpenPlan {
  enum class Outcome {
    startsProgram,  // `program` starts with `arguments`, the first being its name
    handsToOpener,  // `program` (xdg-open) opens the file; `arguments` as it gets them
    shellDecides,   // the file and parameters go to the system's shell as they are
    fails,          // nothing starts: `reason` says why
  };
  Outcome outcome = Outcome::fails;
  std::wstring program;
  std::vector<std::wstring> arguments;
  std::wstring reason;
};

OpenPlan PlanOpen(const std::wstring& file, const std::wstring& parameters);
// Where a profile's arena takes its blocks from. A large profile's cost is
// mostly memory touched for the first time, so on Linux large blocks come
// in huge pages where the system offers them.
std::pmr::memory_resource* arenaBlocks();

// What a text file's bytes were read as: a Windows code page number, CP_UTF8
// for UTF-8, and whether a UTF-8 byte-order mark announced it.
struct TextEncoding {
  UINT codePage = CP_UTF8;
  bool byteOrderMark = false;
};

// Reads a text file as wide characters, a block at a time. The file is open
// from construction to destruction; isOpen() tells whether opening worked.
// On both platforms CR LF reads as LF, and a read error counts as the end.
// POSIX systems read UTF-8 (a byte-order mark skipped, a malformed byte read
// as U+FFFD). Windows reads as Notepad saves: UTF-8 after a byte-order mark,
// or when the first block holds bytes outside ASCII that all fit UTF-8;
// otherwise the system's ANSI code page. There a Ctrl-Z ends the text.
class WideTextFile {
 public:
  explicit WideTextFile(const std::wstring& path);
  ~WideTextFile();
  WideTextFile(const WideTextFile&) = delete;
  WideTextFile& operator=(const WideTextFile&) = delete;

  bool isOpen() const;
  // Why opening failed, as an errno value; 0 when the file is open.
  int error() const { return error_; }
  // How the bytes are read, known once the file is open: always UTF-8 on
  // POSIX systems.
  TextEncoding encoding() const { return encoding_; }
  // Stores up to `capacity` characters in `out` and returns how many; 0 means
  // the end of the file, which a read error counts as. `capacity` is at least
  // 4: on Windows a character's bytes are decoded together, and one may be
  // two wchar_t.
  std::size_t read(wchar_t* out, std::size_t capacity);

 private:
  bool fill();

  int error_ = 0;
  TextEncoding encoding_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t capacity_ = 0;
  std::unique_ptr<unsigned char[]> bytes_;
#ifdef _WIN32
  std::FILE* file_ = nullptr;
  bool doubleByte_ = false;  // an ANSI code page whose characters may take two bytes
  bool atEnd_ = false;       // the file has no more bytes, or a Ctrl-Z ended the text
#else
  int fd_ = -1;
  bool atStart_ = true;
  bool pendingCarriageReturn_ = false;
#endif
};

#endif
