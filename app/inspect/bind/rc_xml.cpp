#include "app/inspect/bind/rc_xml.h"

#include <pugixml.hpp>

#include <cctype>
#include <cstring>
#include <cwctype>
#include <sstream>

#include "app/inspect/bind/binder.h"
#include "app/inspect/bind/config_keys.h"
#include "platform/posix/utf8.h"

namespace {

// Everything kept as the file has it, blanks between elements included,
// and line ends as they are.
constexpr unsigned kKeepAll = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_pi |
                              pugi::parse_comments | pugi::parse_declaration |
                              pugi::parse_doctype | pugi::parse_ws_pcdata;
// What the file means: the blanks between elements do not count.
constexpr unsigned kMeaning = pugi::parse_full | pugi::parse_trim_pcdata;

// labwc-config(5), <keyboard><default />.
const wchar_t* const kLabwcDefaultKeys[] = {
    L"A-Tab",  L"W-Return", L"A-F3",   L"A-F4",    L"W-a",  L"A-Left", L"A-Right",
    L"A-Up",   L"A-Down",   L"W-Left", L"W-Right", L"W-Up", L"W-Down", nullptr};

std::wstring widen(const char* text) { return utf8::widenLossless(text); }

std::string narrow(const std::wstring& text) {
  std::string bytes;
  utf8::narrowLossless(text, bytes);
  return bytes;
}

bool sameLetters(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
      return false;
  }
  return *a == *b;
}

// An rc.xml in memory. pugixml keeps no blanks outside the root element,
// so the text before and after it is kept here as the file has it.
class Document {
 public:
  bool load(const std::wstring& text, const RcXmlKind& kind, std::wstring& why) {
    const std::string bytes = narrow(text);
    const pugi::xml_parse_result result =
        document_.load_buffer(bytes.data(), bytes.size(), kKeepAll, pugi::encoding_utf8);
    if (!result) {
      why = L"is no XML that can be read (" + widen(result.description()) + L" at byte " +
            std::to_wstring(result.offset) + L")";
      return false;
    }
    if (std::strcmp(root().name(), kind.root) != 0) {
      why = L"is no rc.xml: its root element is <" + widen(root().name()) + L">, not <" +
            widen(kind.root) + L">";
      return false;
    }
    keepSurroundings(bytes);
    return true;
  }

  pugi::xml_node root() const { return document_.document_element(); }

  std::wstring text() const {
    std::ostringstream out;
    root().print(out, "", pugi::format_raw, pugi::encoding_utf8);
    return utf8::widenLossless(prolog_ + out.str() + epilog_);
  }

 private:
  void keepSurroundings(const std::string& bytes) {
    const std::ptrdiff_t name = root().offset_debug();
    const std::size_t start = name > 0 ? static_cast<std::size_t>(name) - 1 : 0;
    const std::string closing = std::string("</") + root().name();
    std::size_t end = bytes.rfind(closing);
    end = bytes.find('>', end == std::string::npos ? start : end);
    prolog_ = bytes.substr(0, start);
    epilog_ = end == std::string::npos ? std::string() : bytes.substr(end + 1);
  }

  pugi::xml_document document_;
  std::string prolog_;
  std::string epilog_;
};

bool isBlank(const pugi::xml_node node) {
  if (node.type() != pugi::node_pcdata) return false;
  for (const char* c = node.value(); *c != '\0'; ++c) {
    if (!std::isspace(static_cast<unsigned char>(*c))) return false;
  }
  return true;
}

std::string blanksBefore(const pugi::xml_node node) {
  const pugi::xml_node before = node.previous_sibling();
  return isBlank(before) ? before.value() : "";
}

pugi::xml_node lastElement(const pugi::xml_node parent) {
  pugi::xml_node last;
  for (const pugi::xml_node child : parent.children()) {
    if (child.type() == pugi::node_element) last = child;
  }
  return last;
}

// A new element at the end of `parent`, on a line of its own as the
// elements before it are (one step further in than the parent when it is
// the first).
pugi::xml_node appendElement(pugi::xml_node parent, const char* name) {
  const pugi::xml_node last = lastElement(parent);
  if (last) {
    const std::string blanks = blanksBefore(last);
    const pugi::xml_node element = parent.insert_child_after(name, last);
    if (!blanks.empty()) parent.insert_child_before(pugi::node_pcdata, element).set_value(blanks.c_str());
    return element;
  }
  std::string outer = blanksBefore(parent);
  if (outer.empty()) outer = "\n";
  const std::string inner = outer + "  ";
  if (!isBlank(parent.last_child())) parent.append_child(pugi::node_pcdata).set_value(outer.c_str());
  const pugi::xml_node element = parent.insert_child_before(name, parent.last_child());
  parent.insert_child_before(pugi::node_pcdata, element).set_value(inner.c_str());
  return element;
}

// An element and the blanks that put it on its line.
void removeElement(pugi::xml_node element) {
  pugi::xml_node parent = element.parent();
  const pugi::xml_node before = element.previous_sibling();
  if (isBlank(before)) parent.remove_child(before);
  parent.remove_child(element);
}

std::wstring trimmed(const char* text) {
  std::wstring value = widen(text);
  while (!value.empty() && std::iswspace(value.back())) value.pop_back();
  const std::size_t first = value.find_first_not_of(L" \t\r\n");
  return first == std::wstring::npos ? std::wstring() : value.substr(first);
}

// The command of a keybind's first Execute, in any of the forms openbox
// and labwc read: <command>, the older <execute>, or labwc's attribute.
std::wstring executeCommand(const pugi::xml_node keybind) {
  for (const pugi::xml_node action : keybind.children("action")) {
    const char* name = action.attribute("name") ? action.attribute("name").value()
                                                : action.child_value("name");
    if (!sameLetters(name, "Execute")) continue;
    if (action.attribute("command")) return trimmed(action.attribute("command").value());
    if (action.child("command")) return trimmed(action.child_value("command"));
    return trimmed(action.child_value("execute"));
  }
  return {};
}

std::vector<KeyChord> chordsOf(const std::wstring& key) {
  std::vector<KeyChord> chords;
  std::wistringstream words(key);
  std::wstring word;
  while (words >> word) {
    if (const std::optional<KeyChord> keys = readSpelled(word, kRcXmlKeys)) chords.push_back(*keys);
  }
  return chords;
}

bool names(const pugi::xml_node keybind, const KeyChord& keys) {
  for (const KeyChord& chord : chordsOf(widen(keybind.attribute("key").value()))) {
    if (chord == keys) return true;
  }
  return false;
}

bool hasKeybinds(const pugi::xml_node root) {
  for (const pugi::xml_node keyboard : root.children("keyboard")) {
    if (keyboard.child("keybind")) return true;
  }
  return false;
}

// Where labwc keeps its own keys: beside a <default/>, or where there is no
// keybind at all.
bool defaultsApply(const pugi::xml_node root) {
  for (const pugi::xml_node keyboard : root.children("keyboard")) {
    if (keyboard.child("default")) return true;
  }
  return !hasKeybinds(root);
}

// What taking Tarvexel's last keybind out may leave behind of what adding
// it made: a <default/> that no keybind needs any more, then an empty
// keyboard.
void tidyKeyboards(const pugi::xml_node root, const RcXmlKind& kind) {
  for (pugi::xml_node keyboard = root.child("keyboard"); keyboard;) {
    const pugi::xml_node next = keyboard.next_sibling("keyboard");
    if (kind.defaultKeys != nullptr && !hasKeybinds(root) && keyboard.child("default")) {
      removeElement(keyboard.child("default"));
    }
    if (!lastElement(keyboard)) removeElement(keyboard);
    keyboard = next;
  }
}

// The document as it means, blanks between elements left out.
std::string meaning(const std::wstring& text) {
  const std::string bytes = narrow(text);
  pugi::xml_document document;
  if (!document.load_buffer(bytes.data(), bytes.size(), kMeaning, pugi::encoding_utf8)) return {};
  std::ostringstream out;
  document.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

}  // namespace

const RcXmlKind kOpenboxRcXml{"openbox_config", nullptr};
const RcXmlKind kLabwcRcXml{"labwc_config", kLabwcDefaultKeys};

std::optional<std::vector<RcXmlKeybind>> readKeybinds(const std::wstring& text,
                                                      const RcXmlKind& kind, std::wstring& why) {
  Document document;
  if (!document.load(text, kind, why)) return std::nullopt;
  std::vector<RcXmlKeybind> keybinds;
  for (const pugi::xml_node keyboard : document.root().children("keyboard")) {
    for (const pugi::xml_node keybind : keyboard.children("keybind")) {
      const std::wstring key = widen(keybind.attribute("key").value());
      keybinds.push_back({chordsOf(key), key, executeCommand(keybind)});
    }
  }
  return keybinds;
}

bool isDefaultKey(const std::wstring& text, const RcXmlKind& kind, const KeyChord& keys) {
  Document document;
  std::wstring why;
  if (kind.defaultKeys == nullptr || !document.load(text, kind, why)) return false;
  if (!defaultsApply(document.root())) return false;
  for (const wchar_t* const* key = kind.defaultKeys; *key != nullptr; ++key) {
    if (readSpelled(*key, kRcXmlKeys) == keys) return true;
  }
  return false;
}

std::wstring freshRcXml(const RcXmlKind& kind) {
  const std::wstring root = widen(kind.root);
  const std::wstring keyboard =
      kind.defaultKeys != nullptr ? L"  <keyboard>\n    <default/>\n  </keyboard>\n" : L"";
  return L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + L">\n" + keyboard + L"</" +
         root + L">\n";
}

std::optional<std::wstring> withKeybind(const std::wstring& text, const RcXmlKind& kind,
                                        const KeyChord& keys, const std::wstring& command,
                                        std::wstring& why) {
  Document document;
  if (!document.load(text, kind, why)) return std::nullopt;
  const pugi::xml_node root = document.root();
  pugi::xml_node keyboard = root.child("keyboard");
  if (!keyboard) keyboard = appendElement(root, "keyboard");
  if (kind.defaultKeys != nullptr && defaultsApply(root) && !keyboard.child("default")) {
    appendElement(keyboard, "default");
  }
  pugi::xml_node keybind = appendElement(keyboard, "keybind");
  keybind.append_attribute("key") = narrow(spelled(keys, kRcXmlKeys)).c_str();
  pugi::xml_node action = keybind.append_child("action");
  action.append_attribute("name") = "Execute";
  action.append_child("command").text() = narrow(command).c_str();
  return document.text();
}

std::optional<std::wstring> withoutKeybinds(const std::wstring& text, const RcXmlKind& kind,
                                            const KeyChord& keys,
                                            const std::optional<std::wstring>& original,
                                            std::wstring& why) {
  Document document;
  if (!document.load(text, kind, why)) return std::nullopt;
  for (const pugi::xml_node keyboard : document.root().children("keyboard")) {
    for (pugi::xml_node keybind = keyboard.child("keybind"); keybind;) {
      const pugi::xml_node next = keybind.next_sibling("keybind");
      if (names(keybind, keys) && runsTarvexel(executeCommand(keybind))) removeElement(keybind);
      keybind = next;
    }
  }
  const std::wstring left = document.text();
  if (!original) return left;
  const std::string before = meaning(*original);
  if (before.empty()) return left;
  if (meaning(left) == before) return *original;
  tidyKeyboards(document.root(), kind);
  return meaning(document.text()) == before ? *original : left;
}
