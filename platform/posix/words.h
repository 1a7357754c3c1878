// Parameters become an argument list the way a POSIX shell splits words,
// and in no other way: nothing is expanded, nothing is run.
#ifndef TARVEXEL_PLATFORM_WORDS_H
#define TARVEXEL_PLATFORM_WORDS_H

#include <string>
#include <vector>

// Blanks, tabs and line feeds separate words; single quotes keep everything
// up to the next single quote; double quotes keep everything up to the next
// double quote, where a backslash quotes only $ ` " \ and a line feed; a
// backslash elsewhere quotes the next character. Adjacent pieces join into
// one word, "" makes an empty word, and a quote left open runs to the end.
std::vector<std::string> splitWords(const std::string& text);

#endif
