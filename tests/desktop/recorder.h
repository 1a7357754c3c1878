// The record a desktop helper window keeps of what was done to it, one
// line per event, flushed at once: the test script reads it while the
// window lives.
#ifndef TARVEXEL_TESTS_DESKTOP_RECORDER_H
#define TARVEXEL_TESTS_DESKTOP_RECORDER_H

#include <fstream>
#include <string>

class Recorder {
 public:
  explicit Recorder(const std::string& path) : out_(path, std::ios::app) {}
  void write(const std::string& line) { out_ << line << '\n' << std::flush; }

 private:
  std::ofstream out_;
};

#endif
