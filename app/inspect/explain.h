// tarvexel-inspect explain: what the launcher would do with a profile, told
// and not done. The profile is read and the section chosen by the
// launcher's own code; nothing is started, closed or brought forward.
#ifndef TARVEXEL_APP_INSPECT_EXPLAIN_H
#define TARVEXEL_APP_INSPECT_EXPLAIN_H

#include <string>

struct Explanation {
  std::wstring report;
  int status;  // the launcher's exit status for this profile: 0 or 1
};

Explanation explainProfile(const std::wstring& path);

#endif
