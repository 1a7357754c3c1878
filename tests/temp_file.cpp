#include "tests/temp_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/posix/utf8.h"

TempFile::TempFile(const std::string& bytes, const std::string& name) {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvexel-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  folder_ = pattern;
  path_ = folder_ + "/" + name;
  std::ofstream(path_, std::ios::binary) << bytes;
}

TempFile::~TempFile() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::wstring TempFile::widePath() const { return utf8::widenLossless(path_); }

std::string TempFile::contents() const {
  std::ifstream in(path_, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
