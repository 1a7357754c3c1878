// tarvexel-inspect's start-up: the arguments as wide text in, the text out
// as UTF-8, whatever the locale or console code page says.
#include <clocale>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/inspect/commands.h"
#include "platform/services.h"

#ifdef _WIN32

namespace {

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

}  // namespace

#else

#include "platform/posix/standard_streams.h"
#include "platform/posix/utf8.h"

namespace {

std::string narrow(const std::wstring& text) { return utf8::narrow(text); }

}  // namespace

#endif

namespace {

std::function<void(const std::wstring&)> writerTo(std::FILE* stream) {
  return [stream](const std::wstring& text) {
    const std::string bytes = narrow(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
  };
}

int run(const std::vector<std::wstring>& arguments) {
  return runInspect(arguments, {writerTo(stdout), writerTo(stderr)});
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // explain notices a title that differs only in letter case for every
  // letter whose case the user's locale knows, not for ASCII alone.
  std::setlocale(LC_ALL, "");
  // A console shows the UTF-8 as text, not as its bytes in the OEM code page.
  SetConsoleOutputCP(CP_UTF8);
  return run(std::vector<std::wstring>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv) {
  posix::ignoreBrokenPipes();
  std::vector<std::wstring> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(utf8::widenLossless(argv[i]));
  return run(arguments);
}
#endif
