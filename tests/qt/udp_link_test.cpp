// The link on Qt's loop over real UDP against a vorstel-simserver process.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QFile>
#include <QProcess>

#include "processes.h"
#include "qt_reactor.h"
#include "support.h"
#include "config/settings.h"
#include "watchdog.h"

namespace vorstel {
namespace {

using test::SimServerProcess;
using test::WaitFor;

class UdpLinkTest : public ::testing::Test {
protected:
    UdpLinkTest() : w({reactor, desktop, dialogs, calendar}, dir.path()) {
        w.form.txtPORT.setText(std::to_string(server.port()));
    }

    // Sends one command and returns the reply with the time the request took.
    std::pair<std::string, qint64> Request(const std::string& command) {
        std::optional<std::string> reply;
        QElapsedTimer clock;
        clock.start();
        w.scope.spawn([](RconLink& link, std::string c, std::optional<std::string>& out) -> Task<void> {
            out = co_await link.SendRconCommand(c);
        }(w.link, command, reply));
        EXPECT_TRUE(WaitFor([&] { return reply.has_value(); }, 5000));
        return {reply.value_or("(none)"), clock.elapsed()};
    }

    SimServerProcess server;
    QtReactor reactor;
    test::RecordingDesktop desktop;
    test::ScriptedDialogs dialogs;
    FixedCalendar calendar;
    test::TempDir dir;
    Watchdog w;
};

TEST_F(UdpLinkTest, StatusComesBackCleanedAfterTheFullWindow) {
    ASSERT_NE(server.port(), 0) << server.Output().toStdString();
    auto [reply, ms] = Request("status");
    EXPECT_EQ(reply.rfind("map: dm/mohdm6\r\nnum score ping name", 0), 0u) << reply;
    EXPECT_NE(reply.find("\r\n\r\n"), std::string::npos) << "the listing ends with an empty line";
    EXPECT_GE(ms, RconLink::kReplyWindowMs);
    EXPECT_LT(ms, RconLink::kReplyWindowMs + 200);
    EXPECT_TRUE(WaitFor([&] { return server.Output().contains("status"); }, 2000));
}

TEST_F(UdpLinkTest, NobodyListeningOrNoSuchHostGivesAnEmptyReply) {
    server.Stop();
    EXPECT_EQ(Request("status").first, "");
    w.form.txtSVR.setText("no-such-host.invalid");
    auto [reply, ms] = Request("status");
    EXPECT_EQ(reply, "");
    EXPECT_GE(ms, RconLink::kReplyWindowMs);
}

// The window with "Scan on Start" saved: it claims and warms up by itself, and releases the
// server when it is told to end.
TEST(VorstelBinary, ScanOnStartClaimsWarmsUpAndReleasesAtSigterm) {
    SimServerProcess server;
    ASSERT_NE(server.port(), 0);
    QTemporaryDir dir;
    Form1 settings;
    settings.txtPORT.setText(std::to_string(server.port()));
    settings.SoS.setValue(1);
    ASSERT_TRUE(SaveSettings(settings, dir.path().toStdString()));

    QProcess app;
    app.setProgram(VORSTEL_APP_PATH);
    app.setArguments({"--workdir", dir.path()});
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    app.setProcessEnvironment(env);
    app.start();
    ASSERT_TRUE(app.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return server.Output().contains("set resetvalue hacked"); }, 20000))
        << server.Output().toStdString();
    const std::vector<std::string> expected = {"sv_vorstel", "set sv_vorstel 0", "sv_vorstel", "set sv_vorstel 1",
                                               "version", "cheats", "versionvorstel", "dmzdogtagversion", "getstatus"};
    auto commands = server.Commands();
    ASSERT_GE(commands.size(), expected.size());
    EXPECT_EQ(std::vector(commands.begin(), commands.begin() + expected.size()), expected);

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(30000));
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(WaitFor([&] { return server.Output().contains("set resetvalue 0"); }, 5000));
    commands = server.Commands();
    EXPECT_EQ(std::vector(commands.end() - 3, commands.end()),
              (std::vector<std::string>{"set sv_vorstel 0", "set nextmap \"\"", "set resetvalue 0"}));
    EXPECT_TRUE(QFile::exists(dir.filePath("bans.lst")));
}

}  // namespace
}  // namespace vorstel
