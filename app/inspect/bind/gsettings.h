// GNOME's settings, through its own tool: gsettings writes through dconf's
// service, so every program that watches a key (the settings daemon that
// grabs the custom keys) hears of a change at once.
#ifndef TARVEXEL_APP_INSPECT_BIND_GSETTINGS_H
#define TARVEXEL_APP_INSPECT_BIND_GSETTINGS_H

#include <optional>
#include <string>
#include <vector>

namespace gsettings {

// Every string in a value as gsettings prints it (GVariant text: 'text',
// or "text" where it holds a quote; a list of them; "@as []"), unquoted.
std::vector<std::wstring> stringsIn(const std::string& text);

// A string, and a list of strings, as gsettings reads a value.
std::string literal(const std::wstring& text);
std::string listLiteral(const std::vector<std::wstring>& items);

// A key as `gsettings list-recursively` prints it.
struct Key {
  std::string schema;
  std::string name;
  std::string value;  // GVariant text
};

// The keys of `schema` ("SCHEMA" or "SCHEMA:/PATH/" for one that is
// relocatable); empty when the schema is not installed.
std::vector<Key> keysOf(const std::string& schema);

// The value of one key; empty, with `why`, when gsettings cannot read it.
std::optional<std::string> get(const std::string& schema, const std::string& key,
                               std::wstring& why);

// Sets a key, or resets every key of a relocatable schema's path, and says
// why not when gsettings refused.
bool set(const std::string& schema, const std::string& key, const std::string& value,
         std::wstring& why);
bool resetAll(const std::string& schema, std::wstring& why);

}  // namespace gsettings

#endif
