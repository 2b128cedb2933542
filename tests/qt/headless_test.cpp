// vorstel as a process, without any display, against vorstel-simserver over UDP on
// 127.0.0.1: what the server received, what the program printed, the files it left, how it
// ended.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "config/settings.h"
#include "form/form1.h"
#include "processes.h"
#include "support.h"

namespace vorstel {
namespace {

using test::InOrder;
using test::Process;
using test::SimServerProcess;

// The settings file of a fresh window whose connection points at the test's server.
void WriteSettings(const QString& dir, int port, bool scanOnStart = false) {
    Form1 form;
    form.txtPORT.setText(std::to_string(port));
    form.SoS.setValue(scanOnStart ? 1 : 0);
    std::ofstream(dir.toStdString() + "/" + kSettingsFile, std::ios::binary) << EncodeSettings(form);
}

// vorstel --headless on the test's folder.
class Headless : public Process {
public:
    explicit Headless(const QString& dir, const QStringList& extra = {}, int terminal = -1)
        : Process(VORSTEL_APP_PATH, QStringList{"--headless", "--workdir", dir} + extra, terminal) {}
};

const char* kServerLines =
    "map dm/mohdm6\n"
    "maplist dm/mohdm6 dm/mohdm7\n"
    "mod versionvorstel 1.0\n";

const char* kPlayers =
    "player Kr4nk\n  slot 0\n  ping 62\n  rate 25000\n  address 93.184.12.9:12203\n"
    "  var name Kr4nk\n  var cg_3rd_person 1\nend\n"
    "player \"Red Baron\"\n  slot 1\n  ping 95\n  rate 25000\n  address 62.210.14.77:12203\n"
    "  var name Red Baron\nend\n"
    "player Camper\n  slot 2\n  ping 40\n  rate 25000\n  address 84.150.3.61:12203\n"
    "  var name Camper\nend\n";

class HeadlessTest : public ::testing::Test {
protected:
    void StartServer(const std::string& extraLines, QStringList options = {}) {
        const std::string scenario = dir.path().toStdString() + "/test.scn";
        std::ofstream(scenario) << kServerLines + extraLines + kPlayers;
        server = std::make_unique<SimServerProcess>(QStringList{"--scenario", QString::fromStdString(scenario)} + options);
        ASSERT_NE(server->port(), 0) << server->Output().toStdString();
        WriteSettings(dir.path(), server->port());
    }
    std::string File(const char* name) { return test::ReadFile(dir.path().toStdString() + "/" + name); }

    QTemporaryDir dir;
    std::unique_ptr<SimServerProcess> server;
};

// Another monitor's server is left alone unless the operator forces the claim; forced, the
// program scans, patrols, sends what is typed on its terminal and releases the server at
// SIGTERM.
TEST_F(HeadlessTest, AWatchedServerIsLeftAloneUnlessForcedThenScannedPatrolledAndReleased) {
    // Camper's ban is asked for in the game; Red Baron's address is on the list already.
    StartServer("cvar sv_vorstel 1\ncvar clientban 2@Camping\ncvar g_motd \"Welcome, \xE9l\xE8ve\"\n");
    std::ofstream(dir.path().toStdString() + "/bans.lst", std::ios::binary)
        << "62.210.14.77\x02Red Baron\x02" "cheating\x02" "2026-01-01\x02\r\n";
    {
        Headless refused(dir.path());
        EXPECT_EQ(refused.Finish(10000), 5);
        EXPECT_TRUE(refused.Errors().contains("--force-claim")) << refused.Errors().toStdString();
        EXPECT_TRUE(refused.Output().contains("message: Already Monitored! ")) << refused.Output().toStdString();
        EXPECT_TRUE(refused.Output().contains("Are you sure you want to continue? No."));
        // The other monitor's marker stays as it was.
        EXPECT_EQ(server->Commands(), std::vector<std::string>{"sv_vorstel"});
    }
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(terminal, 0);
    Headless app(dir.path(), {"--force-claim"}, terminal);
    ::close(terminal);
    // The launcher gives way to the program without the window.
    const auto runs = [&] { return std::filesystem::path(app.Executable()).filename() == "vorstel-headless"; };
    EXPECT_TRUE(QTest::qWaitFor(runs, 2000)) << app.Executable();
    ASSERT_TRUE(app.WaitForOutput("kick: Camper", 40000)) << app.Output().toStdString() << app.Errors().toStdString();
    // Typed in UTF-8; the server gets Latin-1.
    const std::string typed = "rcon g_motd\nsay Gr\xC3\xBC\xC3\x9F" "e\n";
    ASSERT_EQ(::write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    // The reply in UTF-8, though the server speaks Latin-1.
    EXPECT_TRUE(app.WaitForOutput(QString::fromUtf8("\"g_motd\" is:\"Welcome, \xC3\xA9l\xC3\xA8ve\""), 20000));
    EXPECT_TRUE(app.WaitForOutput(QString::fromUtf8("console: no reply to \"say Gr\xC3\xBC\xC3\x9F" "e\""), 5000));
    app.Terminate();
    ASSERT_EQ(app.Finish(10000), 0) << app.Errors().toStdString();
    ::close(master);
    EXPECT_TRUE(InOrder(server->Commands(), {"set sv_vorstel 1", "dumpuser \"Kr4nk", "clientkick 0", "clientkick 1",
                                             "clientkick 2", "g_motd", "say Gr\xFC\xDF" "e", "set resetvalue 0"}));

    const std::string today = QDate::currentDate().toString("yyyy-MM-dd").toStdString();
    // Dated by the program's own clock, and saved at the end.
    EXPECT_EQ(File("kicks.lst"), "93.184.12.9\x02Kr4nk\x02" "Cheat: 3rd Person\x02" + today + "\r\n");

    const QString out = app.Output();
    for (const char* event : {"Are you sure you want to continue? Yes.", "status: Warming engine...",
                              "server: Server OS: Linux", "server: ModVorstel - Running",
                              "status: Server: Running - Now playing: dm/mohdm6 on free for all",
                              "say: Cheat Detected!! Player: Kr4nk Cheat: 3rd Person IP: 93.184.12.9",
                              "kick recorded: Kr4nk (93.184.12.9) Cheat: 3rd Person",
                              "ban: Camper (84.150.3.61) Camping, without end",
                              "kick: Red Baron (62.210.14.77), client 1", "status: Server not running!!"})
        EXPECT_TRUE(out.contains(event)) << event << "\n" << out.toStdString();
    static const QRegularExpression stamped(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \S)");
    for (const auto& line : out.split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(stamped.match(line).hasMatch()) << line.toStdString();
    // The requests themselves are told only with --verbose.
    EXPECT_FALSE(out.contains("> dumpuser"));
}

TEST_F(HeadlessTest, AWrongPasswordEndsTheProgramWithoutReleasingAnything) {
    StartServer("cvar sv_vorstel 0\n", {"--password", "notTheDefault"});
    Headless app(dir.path(), {"--verbose"});
    EXPECT_EQ(app.Finish(10000), 3);
    EXPECT_TRUE(app.Errors().contains("refused the rcon password")) << app.Errors().toStdString();
    // --verbose: the request and the server's refusal, each on its own line.
    static const QRegularExpression exchange(R"(\d\d \> sv_vorstel\n.*\d\d \< Bad rconpassword\.\n)");
    EXPECT_TRUE(exchange.match(app.Output()).hasMatch()) << app.Output().toStdString();
    EXPECT_EQ(server->Commands(), std::vector<std::string>{"sv_vorstel  [refused: bad password]"});
}

TEST_F(HeadlessTest, RunsInPlaceWhenThereIsNoProgramWithoutTheWindow) {
    QUdpSocket silent;  // takes requests and never answers
    ASSERT_TRUE(silent.bind(QHostAddress::LocalHost, 0));
    WriteSettings(dir.path(), silent.localPort());
    // A copy of vorstel alone, as when only it was installed.
    const auto alone = std::filesystem::path(dir.path().toStdString()) / "bin" / "vorstel";
    std::filesystem::create_directories(alone.parent_path());
    std::filesystem::copy_file(VORSTEL_APP_PATH, alone);
    Process app(QString::fromStdString(alone.string()), {"--headless", "--workdir", dir.path()});
    EXPECT_EQ(std::filesystem::path(app.Executable()).filename(), "vorstel");
    EXPECT_EQ(app.Finish(10000), 4);
    EXPECT_TRUE(app.Errors().contains("Nothing answers at 127.0.0.1:")) << app.Errors().toStdString();
}

TEST(VorstelCommandLine, HelpVersionAndRefusalsNeedNoDisplay) {
    struct Case {
        QStringList args;
        int status;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {{"--help"}, 0, "--force-claim", ""},
        {{"--version"}, 0, "vorstel 2.1\n", ""},
        {{"--headless", "--workdir", "/nonexistent/vorstel"}, 2, "", "working directory"},
        {{"--workdir", "/nonexistent/vorstel", "-platform", "offscreen"}, 2, "", "working directory"},
        // The window's mode, with nothing to show it on: said plainly instead of Qt aborting.
        {{}, 2, "", "--headless"},
        {{"-platform", "offscreen", "--quiet"}, 2, "", "only with --headless"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        Process p(VORSTEL_APP_PATH, c.args);
        EXPECT_EQ(p.Finish(5000), c.status);
        EXPECT_TRUE(p.Output().contains(c.out));
        EXPECT_TRUE(p.Errors().contains(c.err));
    }
}

// The window with "Scan on Start" saved claims and warms up by itself, and releases the server
// when it is told to end.
TEST_F(HeadlessTest, TheWindowWithScanOnStartClaimsWarmsUpAndReleasesAtSigterm) {
    SimServerProcess server;
    ASSERT_NE(server.port(), 0);
    WriteSettings(dir.path(), server.port(), true);
    Process app(VORSTEL_APP_PATH, {"-platform", "offscreen", "--workdir", dir.path()});
    // The warm-up's last step; its requests one by one are the engine's own tests' business.
    ASSERT_TRUE(server.WaitForOutput("set resetvalue hacked", 20000)) << server.Output().toStdString();
    app.Terminate();
    EXPECT_EQ(app.Finish(30000), 0);
    EXPECT_TRUE(server.WaitForOutput("set resetvalue 0", 5000));
    const auto commands = server.Commands();
    EXPECT_EQ(std::vector(commands.end() - 3, commands.end()),
              (std::vector<std::string>{"set sv_vorstel 0", "set nextmap \"\"", "set resetvalue 0"}));
}

// Two programs in one folder would each write the lists whole at their end, the last one
// throwing away what the other recorded: the second one says so and stops. The kernel lets
// go of the folder when the first one dies, however it dies.
TEST_F(HeadlessTest, ASecondProgramInTheSameFolderStopsAtOnce) {
    StartServer("");
    std::optional<Headless> first(std::in_place, dir.path(), QStringList{"--quiet"});
    ASSERT_TRUE(server->WaitForOutput("set sv_vorstel 1", 5000));

    const auto claims = [&] {
        const auto commands = server->Commands();
        return std::count(commands.begin(), commands.end(), "sv_vorstel");
    };
    const auto claimsBefore = claims();
    Headless second(dir.path());
    EXPECT_EQ(second.Finish(5000), 2);
    const std::string said = second.Errors().toStdString();
    EXPECT_NE(said.find(QDir(dir.path()).canonicalPath().toStdString()), std::string::npos) << said;
    EXPECT_NE(said.find(std::to_string(first->ProcessId())), std::string::npos) << said;
    EXPECT_EQ(claims(), claimsBefore) << "the second never spoke to the server";

    EXPECT_FALSE(first->Output().contains("status:")) << "quiet";
    first.reset();  // killed
    Headless third(dir.path(), {"--quiet"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return claims() > claimsBefore; }, 5000)) << "a crash leaves no lock behind";
}

}  // namespace
}  // namespace vorstel
