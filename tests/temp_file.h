// Files the tests write and remove again.
#ifndef TARVEXEL_TESTS_TEMP_FILE_H
#define TARVEXEL_TESTS_TEMP_FILE_H

#include <string>

// A file in a fresh private folder, holding the given bytes; both go when
// the object does.
class TempFile {
 public:
  explicit TempFile(const std::string& bytes, const std::string& name = "profile.ini");
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& folder() const { return folder_; }
  const std::string& path() const { return path_; }
  std::wstring widePath() const;
  std::string contents() const;

 private:
  std::string folder_;
  std::string path_;
};

#endif
