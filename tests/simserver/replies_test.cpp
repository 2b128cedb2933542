// The default server's replies, byte for byte.
#include <random>

#include "sim_fixture.h"

namespace vorstel::sim::testing {
namespace {

const char kListing[] = R"(
hostname "Test Server"
map dm/mohdm6
maplist dm/mohdm1   dm/mohdm6
player Player
  score 3
  ping 45
  address 10.0.0.5:12203
  qport 1234
end
player "Unknown Soldier"
  state connecting
  lastmsg 50
  address 10.0.0.9:12203
  qport 40123
end
player "=[v]= mist"
  slot 8
  ping 0
  address 119.18.4.211:12203
  qport 10991
  rate 20000
end
player "Big Bad Wolf"
  slot 3
  address 81.34.56.78:12203
  var name Big Bad Wolf
  var cg_3rd_person 1
end
)";

class Replies : public SimFixture, public ::testing::Test {
public:
    Replies() : SimFixture(kListing) {}
};

TEST_F(Replies, StatusListsClientsInColumnsKeepingLongNamesZombiesAndLocalAddresses) {
    server.removePlayer(3);
    server.addPlayer(Player{.name = "[Clan]LongNameHere!", .score = -5, .lastmsg = 1234, .address = "loopback",
                            .qport = 0, .rate = 25000, .state = ClientState::Zombie});
    server.addPlayer(Player{.name = "Bot", .ping = 12000, .address = "bot", .qport = 5, .rate = 0});
    server.addPlayer(Player{.name = "SixteenCharsName", .ping = 7});
    const std::string pad14(14, ' '), pad19(19, ' ');
    EXPECT_EQ(ask("STATUS"),
              "map: dm/mohdm6\n"
              "num score ping name            lastmsg address               qport rate\n"
              "--- ----- ---- --------------- ------- --------------------- ----- -----\n"
              "  0     3   45 Player                0 10.0.0.5:12203         1234  5000\n"
              "  1     0 CNCT Unknown Soldier      50 10.0.0.9:12203        40123  5000\n"
              "  2    -5 ZMBI [Clan]LongNameHere!   1234 loopback" + pad14 + "    0 25000\n"
              "  3     0 9999 Bot                   0 bot" + pad19 + "    5     0\n"
              "  4     0    7 SixteenCharsName      0 10.0.0.1:12203         1234  5000\n"
              "  8     0    0 =[v]= mist            0 119.18.4.211:12203    10991 20000\n"
              "\n");
}

TEST_F(Replies, DumpuserListsClientVariablesByNameAndClientkickRemovesThePlayer) {
    const std::string wolf = "userinfo\n--------\n"
                             "name                 : Big Bad Wolf\n"
                             "cg_3rd_person        : 1\n";
    EXPECT_EQ(ask("dumpuser \"Big Bad Wolf"), wolf);  // no closing quote: runs to the end
    EXPECT_EQ(ask("dumpuser \"big BAD wolf\""), wolf);
    EXPECT_EQ(ask("dumpuser \"=[v]= mist"), "userinfo\n--------\nname                 : =[v]= mist\n");
    EXPECT_EQ(ask("dumpuser Big"), "Player Big is not on the server\n");
    EXPECT_EQ(ask("dumpuser Big Bad Wolf"), "Usage: dumpuser <userid>\n");

    server.player(0)->name = "^1Play^7er";
    EXPECT_EQ(ask("dumpuser player"), "userinfo\n--------\nname                 : Player\n");

    EXPECT_EQ(ask("clientkick 3"), "");
    EXPECT_EQ(server.player(3), nullptr);
    EXPECT_EQ(ask("clientkick 3"), "Client 3 is not active\n");
    EXPECT_EQ(ask("clientkick x"), "Bad slot number: x\n");
    EXPECT_EQ(ask("clientkick 20"), "Bad slot number: 20\n");
    EXPECT_EQ(ask("clientkick 99999999999"), "Bad slot number: 99999999999\n");
    EXPECT_EQ(ask("clientkick"), "Usage: clientkick <client number>\n");
}

TEST_F(Replies, CvarsAnswerQueriesAndTakeSets) {
    EXPECT_EQ(ask("cheats"), "\"cheats\" is:\"0\" default:\"0\"\n");
    EXPECT_EQ(ask("Version"),
              "\"version\" is:\"Medal of Honor Allied Assault 1.11 linux-i386 Jul 22 2004\" "
              "default:\"Medal of Honor Allied Assault 1.11 linux-i386 Jul 22 2004\"\n");
    EXPECT_EQ(ask("sv_vorstel"), "Unknown command \"sv_vorstel\"\n");

    EXPECT_EQ(ask("set sv_vorstel 1"), "");
    EXPECT_EQ(ask("SV_VORSTEL"), "\"sv_vorstel\" is:\"1\" default:\"1\"\n");
    EXPECT_EQ(ask("set sv_vorstel 0"), "");
    EXPECT_EQ(ask("sv_vorstel"), "\"sv_vorstel\" is:\"0\" default:\"1\"\n");

    ask("set nextmap \"\"");
    EXPECT_EQ(server.cvar("nextmap"), "");
    ask("set sv_hostname  My   \"Big  Server\"");
    EXPECT_EQ(server.cvar("sv_hostname"), "My Big  Server");
    ask("cheats 1 2");  // a cvar name with a value sets it to the first word
    EXPECT_EQ(server.cvar("cheats"), "1");
    EXPECT_EQ(ask("set lonely"), "usage: set <variable> <value>\n");
    EXPECT_EQ(ask("say hello all"), "");
}

TEST_F(Replies, GetstatusListsServerInfoAndConnectedClients) {
    server.addPlayer(Player{.name = "Ghost", .state = ClientState::Zombie});
    const std::string expected = kStatusHeader +
                                 "\\version\\Medal of Honor Allied Assault 1.11 linux-i386 Jul 22 2004"
                                 "\\sv_hostname\\Test Server\\mapname\\dm/mohdm6\\sv_maplist\\dm/mohdm1 dm/mohdm6"
                                 "\\g_gametype\\1\\g_gametypestring\\Free-For-All\\sv_maxclients\\20";
    const std::string clients = "\n45 \"Player\"\n50 \"Unknown Soldier\"\n50 \"Big Bad Wolf\"\n0 \"=[v]= mist\"\n";
    EXPECT_EQ(exchange(Oob(" getstatus")), std::vector<std::string>{expected + clients});
    EXPECT_EQ(exchange(Oob("getstatus 77")), std::vector<std::string>{expected + "\\challenge\\77" + clients});
    EXPECT_EQ(server.commands(), (std::vector<std::string>{"getstatus", "getstatus 77"}));
}

TEST_F(Replies, LineAndPasswordAreReadLikeTheEngineDoes) {
    // Any direction byte; % reads as a dot; the line ends at a line feed or a NUL.
    EXPECT_EQ(exchange(Oob("rcon myWord set a 1%5\nset b 2", '\x7F')).size(), 1u);
    EXPECT_EQ(server.cvar("a"), "1.5");
    EXPECT_EQ(server.cvar("b"), std::nullopt);
    EXPECT_EQ(exchange(Oob(" rcon myWord cheats" + std::string(1, '\0') + " extra")),
              std::vector<std::string>{kPrintHeader + "\"cheats\" is:\"0\" default:\"0\"\n"});

    // Not connectionless, or not a request the server knows: no answer, no record.
    EXPECT_TRUE(exchange("rcon myWord status").empty());
    EXPECT_TRUE(exchange(std::string("\xFF\xFF\xFF", 3)).empty());
    EXPECT_TRUE(exchange(Oob(" getinfo")).empty());
    EXPECT_EQ(server.commands(), (std::vector<std::string>{"set a 1.5", "cheats"}));

    // The password is checked exactly.
    EXPECT_EQ(ask("status", "myword"), "Bad rconpassword.\n");
    EXPECT_EQ(exchange(Oob(" rcon")), std::vector<std::string>{kPrintHeader + "Bad rconpassword.\n"});
    server.setPassword("");
    EXPECT_EQ(ask("status", "anything"), "No rconpassword set on the server.\n");
}

TEST_F(Replies, GarbageNeverBreaksTheServer) {
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        std::string d(rng() % 80, '\0');
        for (char& c : d) c = static_cast<char>("\xFF\x02 \"rcon myWord%\n\0abc"[rng() % 20]);
        if (i % 2) d = std::string("\xFF\xFF\xFF\xFF", 4) + d;
        for (const std::string& reply : exchange(d))
            EXPECT_TRUE(reply.rfind(kPrintHeader, 0) == 0 || reply.rfind(kStatusHeader, 0) == 0);
    }
    EXPECT_EQ(ask("cheats"), "\"cheats\" is:\"0\" default:\"0\"\n");
}

}  // namespace
}  // namespace vorstel::sim::testing
