#include "bench/ten_rules.h"

std::string tenRules(const std::string& lastRule) {
  std::string profile;
  for (int i = 0; i < 9; ++i) {
    profile += "[rule" + std::to_string(i) + "]\n";
    profile += i % 2 == 0 ? "class=Absent" + std::to_string(i) + "\n"
                          : "title=Absent window " + std::to_string(i) + "\n";
    profile += "exec=close\n";
  }
  return profile + "[last]\n" + lastRule + "[default]\nsleep=0\n";
}
