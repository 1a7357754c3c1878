// The keyboard of an rc.xml, the configuration openbox and labwc share:
// its keybinds read, and one of Tarvexel's added or taken out, through
// pugixml. The rest of the file keeps its comments and its layout: the
// library may requote an attribute or respace an empty element, but it
// keeps every element, attribute, comment and blank between them.
#ifndef TARVEXEL_APP_INSPECT_BIND_RC_XML_H
#define TARVEXEL_APP_INSPECT_BIND_RC_XML_H

#include <optional>
#include <string>
#include <vector>

#include "app/inspect/bind/keys.h"

// Which program's rc.xml.
struct RcXmlKind {
  const char* root;  // "openbox_config", "labwc_config"
  // labwc's own keys, which it binds when the keyboard has <default/> or
  // no keybind at all (an rc.xml without any adds <default/> before
  // Tarvexel's keybind, so that they stay); null for openbox, which has none.
  const wchar_t* const* defaultKeys;
};

extern const RcXmlKind kOpenboxRcXml;
extern const RcXmlKind kLabwcRcXml;

// A keybind of the keyboard (not one inside a chain of keys).
struct RcXmlKeybind {
  std::vector<KeyChord> keys;  // each key it names that Tarvexel could bind
  std::wstring key;            // as the file writes it: "W-t"
  std::wstring command;        // its first Execute's command; empty for other actions
};

// The keybinds; empty, with `why`, for a text that is no rc.xml of `kind`.
std::optional<std::vector<RcXmlKeybind>> readKeybinds(const std::wstring& text,
                                                      const RcXmlKind& kind, std::wstring& why);

// Whether the keys are one of the program's own default keys there.
bool isDefaultKey(const std::wstring& text, const RcXmlKind& kind, const KeyChord& keys);

// An rc.xml with nothing in it but what keeps the program's own keys.
std::wstring freshRcXml(const RcXmlKind& kind);

// The text with a keybind of the keys that runs `command` added.
std::optional<std::wstring> withKeybind(const std::wstring& text, const RcXmlKind& kind,
                                        const KeyChord& keys, const std::wstring& command,
                                        std::wstring& why);

// The text without the keybinds of the keys that run tarvexel. When what
// is left means what `original` (the file before Tarvexel first changed
// it) means, `original` itself, byte for byte.
std::optional<std::wstring> withoutKeybinds(const std::wstring& text, const RcXmlKind& kind,
                                            const KeyChord& keys,
                                            const std::optional<std::wstring>& original,
                                            std::wstring& why);

#endif
