// The scripted user: its script format and when it acts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/scripted_user.h"

namespace tessavue::sim {
namespace {

TEST(SimScriptedUser, ParsesEveryActionAndItsEscapes) {
    std::string error;
    const auto user = ScriptedUser::Parse(
        "# a comment\n"
        "\n"
        "  pick 10,20\r\n"
        "select -1.5,2e1\n"
        "window 0,0 100,100\n"
        "type a b\\r\\e\\\\\\x00\\x8A\n"
        "enter\n"
        "esc\n",
        &error);
    ASSERT_TRUE(user.has_value()) << error;
    const auto& a = user->actions();
    ASSERT_EQ(a.size(), 6u);
    EXPECT_EQ(a[0], (UserAction{UserAction::Kind::Pick, {10, 20}, {}, ""}));
    EXPECT_EQ(a[1], (UserAction{UserAction::Kind::Select, {-1.5, 20}, {}, ""}));
    EXPECT_EQ(a[2], (UserAction{UserAction::Kind::Window, {0, 0}, {100, 100}, ""}));
    EXPECT_EQ(a[3].text, std::string("a b\r\x1b\\\0\x8A", 8));
    EXPECT_EQ(a[4].text, "\r");
    EXPECT_EQ(a[5].text, "\x1b");
}

TEST(SimScriptedUser, BadLinesAreNamed) {
    for (const char* bad : {"pick 10", "pick @1,1", "window 0,0", "type \\q", "type \\x4", "jump 1,1", "enter now"}) {
        std::string error;
        EXPECT_FALSE(ScriptedUser::Parse(std::string("pick 1,1\n") + bad + "\n", &error).has_value()) << bad;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

TEST(SimScriptedUser, ActsOnlyInsideACommandOneActionPerStep) {
    SimHost host;
    auto user = ScriptedUser::Parse("pick 0,0\npick 10,0\nenter\nselect 5,0\nenter\n");
    ASSERT_TRUE(user.has_value());
    EXPECT_FALSE(user->Step(host));  // idle: it waits
    EXPECT_EQ(user->Remaining(), 5u);
    host.Type("line ");
    EXPECT_TRUE(user->Step(host));
    EXPECT_TRUE(user->Step(host));
    EXPECT_EQ(host.drawing().entities().size(), 1u);
    EXPECT_TRUE(user->Step(host));
    EXPECT_FALSE(host.InCommand());
    EXPECT_FALSE(user->Step(host));
    host.Type("erase ");
    EXPECT_TRUE(user->Step(host));
    EXPECT_TRUE(user->Step(host));
    EXPECT_TRUE(user->Finished());
    EXPECT_TRUE(host.drawing().entities().empty());
    EXPECT_FALSE(user->Step(host));
}

// A program answering DXFOUT's text prompts must not lose the user's next click to
// them: the click waits for the point prompt that follows.
TEST(SimScriptedUser, AClickWaitsThroughTextPromptsForAPointPrompt) {
    SimHost host;
    auto user = ScriptedUser::Parse("pick 3,4\n");
    ASSERT_TRUE(user.has_value());
    host.filedia = 0;
    host.pathFromText = [](const std::string&) { return std::filesystem::path(); };
    host.Type("dxfout out.dxf\r");
    ASSERT_EQ(host.Waiting(), PromptKind::Text);
    EXPECT_FALSE(user->Step(host));
    EXPECT_EQ(user->Remaining(), 1u);
    host.Type("\x1b");
    host.Type("id ");
    ASSERT_EQ(host.Waiting(), PromptKind::Point);
    EXPECT_TRUE(user->Step(host));
    EXPECT_EQ(host.LastPoint(), (Point{3, 4}));
}

TEST(SimScriptedUser, TypedTextGoesThroughTheCommandLine) {
    SimHost host(Edition::LT2006);
    auto user = ScriptedUser::Parse("type 3,4 5,6\\r\nesc\n");
    ASSERT_TRUE(user.has_value());
    host.Type("line ");
    user->Step(host);
    EXPECT_EQ(host.drawing().entities().size(), 1u);
    user->Step(host);
    EXPECT_EQ(host.HistoryLines().back(), "次の点を指定 または [元に戻す(U)]: *キャンセル*");
    ASSERT_FALSE(host.ReceivedInput().empty());
    EXPECT_EQ(host.ReceivedInput().back(), (InputChunk{"user", "\x1b"}));
}

}  // namespace
}  // namespace tessavue::sim
