// The focused workspace's name out of sway's GET_WORKSPACES replies, as
// sway writes them and as a broken or hostile peer might.
#include "platform/wayland/sway_reply.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using wayland::focusedWorkspaceIn;

struct Row {
  const char* reply;
  std::optional<std::string> focused;
};

const Row kRows[] = {
    // As sway 1.7 writes them, members in its order, nested objects
    // stepped over.
    {R"([{"id": 4, "type": "workspace", "orientation": "horizontal", "percent": null,)"
     R"( "urgent": false, "marks": [], "focused": false, "layout": "splith",)"
     R"( "rect": {"x": 0, "y": 0, "width": 1920, "height": 1080}, "name": "1",)"
     R"( "representation": "H[foot]", "floating_nodes": [], "num": 1, "output": "HEADLESS-1"},)"
     R"( {"id": 7, "focused": true, "rect": {"x": 0}, "name": "2", "num": 2}])",
     "2"},
    {R"([{"name":"mail","focused":true}])", "mail"},
    // The name as it stands, escapes and all; brackets and quotes inside
    // strings are no part of the structure.
    {R"([{"name": "a \"b\" ]}, c", "focused": true}])", R"(a \"b\" ]}, c)"},
    {R"([{"note": {"x": "}]", "y": [1, [2, "["]]}, "focused": true, "name": "3"}])", "3"},
    {"[\n  {\n    \"focused\" :\ttrue ,\r\n    \"name\" : \"4\"\n  }\n]", "4"},
    // None focused, or none at all.
    {R"([{"name": "1", "focused": false}, {"name": "2"}])", std::nullopt},
    {R"([])", std::nullopt},
    {R"([{}])", std::nullopt},
    {R"([{"focused": true}])", std::nullopt},
    // Not an array of objects, cut short, or not JSON.
    {R"({"name": "1", "focused": true})", std::nullopt},
    {R"(["name", "focused"])", std::nullopt},
    {R"([{"name": "1", "focused": truely}])", std::nullopt},
    {R"([{"name": 1, "focused": true}])", std::nullopt},
    {R"([{"rect": {"x": 0, "name": "1", "focused": true])", std::nullopt},
    {R"([{"name": "1)", std::nullopt},
    {R"([{"name": "1", "focused": tr)", std::nullopt},
    {"", std::nullopt},
    {"\x89PNG", std::nullopt},
};

TEST(SwayReply, FocusedWorkspace) {
  for (const Row& row : kRows) EXPECT_EQ(focusedWorkspaceIn(row.reply), row.focused) << row.reply;
}

// Nesting is counted, not recursed into: a reply nested a million deep
// costs no stack.
TEST(SwayReply, DeepNestingIsSteppedOver) {
  const std::string deep = std::string(R"([{"rect": )") + std::string(1000000, '[') +
                           std::string(1000000, ']') + R"(, "name": "5", "focused": true}])";
  EXPECT_EQ(focusedWorkspaceIn(deep), "5");
  EXPECT_EQ(focusedWorkspaceIn(std::string(R"([{"rect": )") + std::string(1000000, '{')),
            std::nullopt);
}

}  // namespace
