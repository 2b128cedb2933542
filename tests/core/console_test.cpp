// The mini console: Enter sends, the reply lands in the pane, copy and clear, Logea and Silent.
#include <gtest/gtest.h>

#include "support.h"
#include "watchdog.h"

namespace vorstel {
namespace {

using test::Reply;
using test::kOob;
using test::Started;

class ConsoleTest : public ::testing::Test, protected test::Surroundings {
protected:
    ConsoleTest() : server(reactor.network(), Peer{"127.0.0.1", 12203}), w({reactor, desktop, dialogs, calendar}, dir.path()) {
        server.Attach(reactor);
        w.form.Text1.addListener([this](Property p) {
            if (p == Property::Focus) ++text1Focused;
        });
    }

    void Type(const std::string& text) {
        w.form.Text1.setText(text);
        EXPECT_TRUE(w.form.Text1.keyPress(Console::kEnter));
    }

    test::ScriptedServer server;
    Watchdog w;
    int text1Focused = 0;
};

TEST_F(ConsoleTest, EnterSendsTheLineAndAppendsOnlyTheReply) {
    server.script = {{{Reply("map: dm/mohdm6\nnum score\n"), 3}}, {{Reply("map: dm/mohdm6\n"), 3}}};
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
    EXPECT_EQ(server.received[0].data, kOob + " rcon myWord status");
    EXPECT_EQ(server.received[1].data, server.received[0].data);
    EXPECT_EQ(w.form.txtOutput.text(), "earlier\r\nmap: dm/mohdm6\r\nnum score\r\nmap: dm/mohdm6\r\n");
    Type("say hi");  // unanswered: nothing appended
    reactor.advance(700);
    EXPECT_EQ(w.form.txtOutput.text(), "earlier\r\nmap: dm/mohdm6\r\nnum score\r\nmap: dm/mohdm6\r\n");
}

TEST_F(ConsoleTest, OnlyANonEmptyLineEndedByEnterIsSent) {
    w.form.Text1.setText("stat");
    EXPECT_FALSE(w.form.Text1.keyPress('u'));
    w.form.Text1.setText("");
    EXPECT_FALSE(w.form.Text1.keyPress(Console::kEnter));
    reactor.advance(2000);
    EXPECT_TRUE(server.received.empty());
    // "rcon" without its blank is an ordinary command; "getstatus" is the status query.
    Type("rcon");
    reactor.advance(700);
    Type("getstatus");
    reactor.advance(700);
    Type("RCON status");
    reactor.advance(700);
    ASSERT_EQ(server.received.size(), 3u);
    EXPECT_EQ(server.received[0].data, kOob + " rcon myWord rcon");
    EXPECT_EQ(server.received[1].data, kOob + " getstatus");
    EXPECT_EQ(server.received[2].data, kOob + " rcon myWord RCON status");
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

TEST_F(ConsoleTest, CopyTakesTheSelectionOrTheWholePane) {
    w.form.Command3.click();
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"clear", "set:"}));
    w.form.txtOutput.setText("abc\r\ndef");
    w.form.Command3.click();
    EXPECT_EQ(desktop.clipboard, "abc\r\ndef");
    w.form.txtOutput.setSelection(5, 2);
    w.form.Command3.click();
    EXPECT_EQ(desktop.clipboard, "de");
    w.form.Command4.click();
    EXPECT_EQ(w.form.txtOutput.text(), "");
}

TEST_F(ConsoleTest, UncheckingLogeaUnchecksAndDisablesSilent) {
    w.form.Silent.setValue(1);
    w.form.Logea.setValue(0);
    EXPECT_EQ(w.form.Silent.value(), 0);
    EXPECT_FALSE(w.form.Silent.enabled());
    w.form.Logea.setValue(1);
    EXPECT_TRUE(w.form.Silent.enabled());
    EXPECT_EQ(w.form.Silent.value(), 0);
}

}  // namespace
}  // namespace vorstel
