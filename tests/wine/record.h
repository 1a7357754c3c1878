// What the helper programs share: their arguments, and a record file that
// the test script reads back, one UTF-8 line per event.
#ifndef TARVEXEL_TESTS_WINE_RECORD_H
#define TARVEXEL_TESTS_WINE_RECORD_H

#include <string>
#include <vector>

// The arguments after the program's name, split as the C run-time splits
// them.
std::vector<std::wstring> arguments();

// Appends `line` and a line end to the record file. The file is opened and
// closed for each line, so the test may read or empty it at any time.
void record(const std::wstring& file, const std::wstring& line);

// Milliseconds since 1970, the clock the test script reads too.
long long unixMilliseconds();

#endif
