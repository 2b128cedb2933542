// The rcon exchange: request bytes, reply cleaning, the fixed reply window, the queue of
// senders and the traffic log; the mini console on top of it.
#include <gtest/gtest.h>

#include "link/reply.h"
#include "support.h"
#include "watchdog.h"

namespace vorstel {
namespace {

using test::Reply;
using test::kOob;
using test::ScriptedServer;
using test::Started;

class LinkTest : public ::testing::Test, protected test::Surroundings {
protected:
    LinkTest() : server(reactor, Peer{"127.0.0.1", 12203}), w({reactor, desktop, dialogs, calendar}, dir.path()) {
        w.form.Text1.addListener([this](Property p) {
            if (p == Property::Focus) ++text1Focused;
        });
    }

    Started<std::string> Send(const std::string& command) {
        return Started<std::string>(w.scope, w.link.SendRconCommand(command));
    }
    // Sends and runs until the reply is in.
    std::string Exchange(const std::string& command) {
        auto r = Send(command);
        reactor.runUntil([&] { return r.done(); });
        return r.value();
    }
    // Sends after waiting for the link, as every sender does.
    static Task<std::string> WaitThenSend(RconLink& link, std::string command) {
        co_await link.WaitForLink();
        co_return co_await link.SendRconCommand(command);
    }
    // Types a line into the console and presses Enter.
    void Type(const std::string& text) {
        w.form.Text1.setText(text);
        EXPECT_TRUE(w.form.Text1.keyPress(Console::kEnter));
    }

    ScriptedServer server;
    Watchdog w;
    int text1Focused = 0;
};
using ConsoleTest = LinkTest;

TEST(RequestDatagram, FramesConsoleCommandsAndTheStatusQuery) {
    EXPECT_EQ(RequestDatagram(kOob, "myWord", "status"), kOob + " rcon myWord status");
    EXPECT_EQ(RequestDatagram(kOob, "pw", "getstatus"), kOob + " getstatus");
    // Only the exact word is the status query.
    EXPECT_EQ(RequestDatagram(kOob, "pw", "getstatus x"), kOob + " rcon pw getstatus x");
    EXPECT_EQ(RequestDatagram(kOob, "pw", "GETSTATUS"), kOob + " rcon pw GETSTATUS");
    EXPECT_EQ(RequestDatagram(kOob, "p w\"", "say \"hi\""), kOob + " rcon p w\" say \"hi\"");
}

TEST(CleanReply, DropsTheHeaderRemovesPrintAndWidensLineFeeds) {
    EXPECT_EQ(CleanReply(Reply("map: dm/mohdm6\nnum\n")), "map: dm/mohdm6\r\nnum\r\n");
    // Shorter than a header: kept whole, still cleaned.
    EXPECT_EQ(CleanReply("ab\nprintc"), "ab\r\nc");
    EXPECT_EQ(CleanReply(std::string(10, 'x')), std::string(10, 'x'));
    EXPECT_EQ(CleanReply(std::string(11, 'x')), "");
    // "print" goes wherever it stands, a player's name included, and only in lower case.
    EXPECT_EQ(CleanReply(Reply("  1 Sprinter Print\n")), "  1 Ser Print\r\n");
    EXPECT_EQ(CleanReply(Reply("prprintint")), "print");
    // An existing CR LF gains a second CR, as the server never sends one.
    EXPECT_EQ(CleanReply(Reply("a\r\n")), "a\r\r\n");
    EXPECT_EQ(CleanReply(std::string("\xFF\xFF\xFF\xFF\x01statusResponse\n\\k\\v", 24)), "Response\r\n\\k\\v");
}

// Every request waits out the whole window, the guarded elements disabled meanwhile; only the
// first datagram of a reply counts, garbage is just text, and a datagram that comes after its
// window is the next request's result.
TEST_F(LinkTest, EveryRequestTakesTheWholeWindowAndTheFirstDatagramThatArrives) {
    const std::string garbage("\x00\x01\xFE\n\x7Fprint", 10);
    server.script = {{{Reply("fast\n"), 20}, {Reply("part two\n"), 25}}, {{Reply("late\n"), 900}}, {}, {{Reply("own\n"), 10}},
                     {{garbage, 1}}};
    auto first = Send("cheats");
    reactor.advance(699);
    EXPECT_FALSE(first.done()) << "a reply must not shorten the window";
    for (auto* e : w.form.linkGuarded()) EXPECT_FALSE(e->enabled()) << e->name();
    EXPECT_TRUE(w.form.rconwait.value());
    EXPECT_FALSE(w.form.rconwait.visible());
    reactor.advance(1);
    ASSERT_TRUE(first.done());
    EXPECT_EQ(first.value(), "fast\r\n");
    for (auto* e : w.form.linkGuarded()) EXPECT_TRUE(e->enabled()) << e->name();
    EXPECT_FALSE(w.form.rconwait.value());

    EXPECT_EQ(Exchange("a"), "");
    EXPECT_EQ(reactor.nowMs(), 1400);
    reactor.advance(300);  // the socket stays open: the late datagram waits in it
    EXPECT_EQ(Exchange("b"), "late\r\n");
    EXPECT_EQ(Exchange("c"), "own\r\n");
    EXPECT_EQ(Exchange("d"), std::string("\x00\x01\xFE\r\n\x7F", 6));
}

// A waiting sender destroyed before its turn leaves the others' order intact.
TEST_F(LinkTest, SendersArrivingMidWindowWaitAndAreServedInOrder) {
    auto first = Send("one");
    reactor.advance(100);
    Started<std::string> second(w.scope, WaitThenSend(w.link, "two"));
    {
        TaskScope shortLived;
        Started<std::string> never(shortLived, WaitThenSend(w.link, "never"));
    }
    reactor.advance(100);
    Started<std::string> third(w.scope, WaitThenSend(w.link, "three"));
    reactor.runUntil([&] { return third.done(); });
    ASSERT_EQ(server.received.size(), 3u);
    // Never two in flight: each request leaves only after the previous window closed.
    const char* commands[] = {"one", "two", "three"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(server.received[i].data, kOob + " rcon myWord " + commands[i]);
        EXPECT_EQ(server.received[i].atMs, 1 + 700 * i);
    }
}

TEST_F(LinkTest, ConnectionFieldsAreReadAfreshForEveryRequest) {
    ScriptedServer other(reactor, Peer{"127.0.0.1", 27960});
    w.form.txtPWD.setText("");
    Exchange("one");
    w.form.txtPORT.setText("27960");
    w.form.txtPWD.setText("se cret");
    Exchange("two");
    ASSERT_EQ(server.received.size(), 1u);
    EXPECT_EQ(server.received[0].data, kOob + " rcon  one");
    ASSERT_EQ(other.received.size(), 1u);
    EXPECT_EQ(other.received[0].data, kOob + " rcon se cret two");
    // A port that is not a number leaves the last one in use.
    w.form.txtPORT.setText("12x");
    Exchange("three");
    EXPECT_EQ(other.received.size(), 2u);
    w.form.txtPORT.setText(" 12203 ");
    Exchange("four");
    EXPECT_EQ(server.received.size(), 2u);
}

TEST_F(LinkTest, BadConnectionSettingsYieldAnEmptyReplyAfterTheWindow) {
    const std::pair<const char*, const char*> servers[] = {{"no such host", "12203"}, {"", "12203"}, {"300.1.1.1", "12203"},
                                                           {"mohserver.example", "12203"}, {"127.0.0.1", "99999"}};
    for (const auto& [host, port] : servers) {
        w.form.txtSVR.setText(host);
        w.form.txtPORT.setText(port);
        EXPECT_EQ(Exchange("status"), "") << host << ':' << port;
    }
    EXPECT_EQ(reactor.nowMs(), 5 * 700);
    EXPECT_TRUE(server.received.empty());
}

TEST_F(LinkTest, TrafficLogHoldsEachRequestAndReply) {
    server.script = {{{Reply("a\nb\n"), 5}}, {}, {}};
    Exchange("status");
    Exchange("cheats");
    EXPECT_EQ(test::ReadFile(dir / "activity.log"),
              "Rcon request: \r\nstatus\r\nRcon output:\r\na\r\nb\r\n\r\n"
              "Rcon request: \r\ncheats\r\nRcon output:\r\n\r\n");
}

TEST_F(LinkTest, UnwritableLogsNeverStopARequest) {
    std::filesystem::create_directory(dir / "activity.log");  // a folder where the file should be
    server.script = {{{Reply("ok\n"), 1}}};
    EXPECT_EQ(Exchange("status"), "ok\r\n");
    std::filesystem::create_directory(dir / "vorstel.log");
    w.AppendDetectionLog("lost");  // must not throw
}

TEST_F(ConsoleTest, OnlyANonEmptyLineEndedByEnterIsSentAndOnlyTheReplyAppended) {
    server.script = {{{Reply("map: dm/mohdm6\nnum score\n"), 3}}, {{Reply("map: dm/mohdm6\n"), 3}}};
    w.form.Text1.setText("stat");
    EXPECT_FALSE(w.form.Text1.keyPress('u'));
    w.form.Text1.setText("");
    EXPECT_FALSE(w.form.Text1.keyPress(Console::kEnter));
    w.form.txtOutput.setText("earlier\r\n");
    Type("status");
    EXPECT_EQ(w.form.Text1.text(), "");
    EXPECT_EQ(w.form.Text4.text(), "status");
    EXPECT_FALSE(w.form.Text1.enabled());
    reactor.advance(700);
    EXPECT_EQ(w.form.txtOutput.text(), "earlier\r\nmap: dm/mohdm6\r\nnum score\r\n");
    EXPECT_EQ(w.form.Text4.text(), "");
    EXPECT_TRUE(w.form.Text1.enabled());
    EXPECT_EQ(w.form.txtOutput.selStart(), w.form.txtOutput.text().size());
    EXPECT_EQ(text1Focused, 1);

    Type("rcon status");  // the console adds the framing itself
    reactor.advance(700);
    ASSERT_EQ(server.received.size(), 2u);
    for (const auto& r : server.received) EXPECT_EQ(r.data, kOob + " rcon myWord status");
    EXPECT_EQ(w.form.txtOutput.text(), "earlier\r\nmap: dm/mohdm6\r\nnum score\r\nmap: dm/mohdm6\r\n");
    Type("say hi");  // unanswered: nothing appended
    reactor.advance(700);
    EXPECT_EQ(w.form.txtOutput.text(), "earlier\r\nmap: dm/mohdm6\r\nnum score\r\nmap: dm/mohdm6\r\n");
    // "rcon" without its blank, or in capitals, is an ordinary command.
    for (const char* line : {"rcon", "RCON status"}) {
        Type(line);
        reactor.advance(700);
        EXPECT_EQ(server.received.back().data, kOob + " rcon myWord " + line);
    }

    // Copy takes the selection or the whole pane; Clear empties it.
    w.form.Command3.click();
    EXPECT_EQ(desktop.clipboard, w.form.txtOutput.text());
    w.form.txtOutput.setSelection(9, 3);
    w.form.Command3.click();
    EXPECT_EQ(desktop.clipboard, "map");
    w.form.Command4.click();
    EXPECT_EQ(w.form.txtOutput.text(), "");
    desktop.calls.clear();
    w.form.Command3.click();
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"clear", "set:"}));
}

TEST_F(ConsoleTest, ACommandTypedDuringAnotherRequestGoesOutAfterIt) {
    server.script = {{{Reply("first\n"), 1}}, {{Reply("second\n"), 1}}};
    Started<std::string> engine(w.scope, w.link.SendRconCommand("status"));
    reactor.advance(300);
    Type("cheats");  // the view would have kept Text1 disabled; the model still queues it
    reactor.advance(400);
    EXPECT_EQ(engine.value(), "first\r\n");
    EXPECT_EQ(server.received.size(), 1u);
    reactor.advance(701);
    ASSERT_EQ(server.received.size(), 2u);
    EXPECT_EQ(w.form.txtOutput.text(), "second\r\n");
}

}  // namespace
}  // namespace vorstel
