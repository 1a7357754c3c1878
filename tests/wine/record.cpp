#include "tests/wine/record.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

std::vector<std::wstring> arguments() {
  std::vector<std::wstring> result;
  int count = 0;
  if (LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count)) {
    result.assign(words + 1, words + count);
    LocalFree(words);
  }
  return result;
}

void record(const std::wstring& file, const std::wstring& line) {
  const std::wstring text = line + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                      size, nullptr, nullptr);
  if (std::FILE* out = _wfopen(file.c_str(), L"ab")) {
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
}

long long unixMilliseconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;  // 100 ns since 1601
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  constexpr unsigned long long kTicksFrom1601To1970 = 116444736000000000ULL;
  return static_cast<long long>((ticks.QuadPart - kTicksFrom1601To1970) / 10000);
}
