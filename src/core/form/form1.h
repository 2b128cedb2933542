#pragma once
// Form1: the one window, as a model. Every element carries its own name; the view binds to
// them and the behaviour reads and writes them.
#include <array>
#include <string>
#include <vector>

#include "elements.h"
#include "table.h"

namespace vorstel {

// The nine detection kinds that each choose a penalty: Warning, Kick, or Ban for some days.
enum class PenaltyRow { NoFog, WhiteWalls, Wallhack, ThirdPerson, Aimbot, GlowingSkins, ModifiedBinaries,
                        PrivateSlot, ReservedSkin };

struct PenaltyChoice {
    OptionButton* Warning;
    OptionButton* Kick;
    OptionButton* Ban;
    TextBox* Days;
};

class Form1 {
public:
    Form1();

    std::string caption = "Rcon Vorstel 2.1";
    static constexpr const char* kTabs[4] = {"Main Setup", "Cheat Management", "Server Management",
                                             "Penalties Management"};

    // Outside the panels
    Button Command2{"Command2", "Exit"};
    OptionButton rconwait{"rconwait", "", false};  // the request-in-flight flag; never shown

    // Main Setup: connection
    Label Label1{"Label1", "Server IP"};
    Label Label2{"Label2", "Port"};
    Label Label3{"Label3", "Password"};
    TextBox txtSVR{"txtSVR", "127.0.0.1"};
    TextBox txtPORT{"txtPORT", "12203"};
    TextBox txtPWD{"txtPWD", "myWord"};
    Button Command1{"Command1", "Start"};
    Button Command13{"Command13", "Stop"};

    // Main Setup: intervals
    Label Label5{"Label5", "Scan players every             minutes"};
    TextBox txtMin{"txtMin", "3"};
    Label Label4{"Label4", "Patrol server every             seconds"};
    TextBox MinPolt{"MinPolt", "45"};

    // Main Setup: start-up and logging
    CheckBox SoS{"SoS", "Scan on Start", 0};
    CheckBox Silent{"Silent", "Run in Silent Mode", 0};
    CheckBox Logea{"Logea", "Log Vorstel output to file", 1};

    // Main Setup: the status area
    Label Label20{"Label20", "Additional Info:"};
    Label Label35{"Label35", "Server OS:"};
    Label Label23{"Label23", "Cheats"};
    Label Label25{"Label25", "ModVorstel"};
    Label Label26{"Label26", "DMz DogTag"};
    Picture Image2{"Image2", false};  // Windows
    Picture Image5{"Image5", false};  // Linux
    std::array<Picture, 2> Image1{{{"Image1(0)", false}, {"Image1(1)", false}}};  // cheats on, off
    std::array<Picture, 2> Image3{{{"Image3(0)", false}, {"Image3(1)", false}}};  // companion mod not running, running
    std::array<Picture, 2> Image4{{{"Image4(0)", false}, {"Image4(1)", false}}};  // dog-tag mod not running, running
    Picture Picture1{"Picture1", true};  // the banner while not monitoring
    Table Players{"Players"};
    Label Label21{"Label21", "Server not running!"};
    Label Label18{"Label18", ""};
    ProgressBar scanpro{"scanpro"};
    ProgressBar kickpro{"kickpro"};

    // Main Setup: mini console
    Label Label22{"Label22", "Mini Console:"};
    TextBox txtOutput{"txtOutput", "", TextBox::MultiLine};
    TextBox Text1{"Text1", ""};
    TextBox Text4{"Text4", ""};  // the command being sent; never shown
    Button Command3{"Command3", "copy"};
    Button Command4{"Command4", "clear"};

    // Main Setup: the detection log's links
    Label Label12{"Label12", "View log"};
    Label Label13{"Label13", "Delete log"};

    // Main Setup: the operator's actions on the selected player
    Button Command5{"Command5", "Kick"};
    Button Command6{"Command6", "Ban"};
    OptionButton Option1{"Option1", "Indefinitely", true};
    OptionButton Option2{"Option2", "For          days", false};
    TextBox Text2{"Text2", "3"};

    // Cheat Management
    Label Label27{"Label27", "Detection"};
    std::array<Label, 2> Label28{{{"Label28(0)", "Penalty"}, {"Label28(1)", "Details"}}};
    std::array<CheckBox, 7> Cheats{{{"Cheats(0)", "No fog", 1},
                                    {"Cheats(1)", "White Walls", 1},
                                    {"Cheats(2)", "Wallhack / Doorhack", 1},
                                    {"Cheats(3)", "3rd Person", 1},
                                    {"Cheats(4)", "Pathetic OGC aimbot *", 1},
                                    {"Cheats(5)", "Glowing skins *", 1},
                                    {"Cheats(6)", "Modified binaries", 1}}};
    std::array<OptionButton, 9> Option5{{{"Option5(0)", "Warning", false},
                                         {"Option5(1)", "Warning", false},
                                         {"Option5(2)", "Warning", false},
                                         {"Option5(3)", "Warning", false},
                                         {"Option5(4)", "Warning", false},
                                         {"Option5(5)", "Warning", false},
                                         {"Option5(6)", "Warning", true},
                                         {"Option5(7)", "Warning", false},
                                         {"Option5(8)", "Warning", false}}};
    std::array<OptionButton, 9> Option3{{{"Option3(0)", "Kick", true},
                                         {"Option3(1)", "Kick", true},
                                         {"Option3(2)", "Kick", true},
                                         {"Option3(3)", "Kick", false},
                                         {"Option3(4)", "Kick", true},
                                         {"Option3(5)", "Kick", true},
                                         {"Option3(6)", "Kick", true},
                                         {"Option3(7)", "Kick", true},
                                         {"Option3(8)", "Kick", true}}};
    static constexpr const char* kBanCaption = "Ban for           days (0 for indefinite ban)";
    std::array<OptionButton, 9> Option4{{{"Option4(0)", kBanCaption, false},
                                         {"Option4(1)", kBanCaption, false},
                                         {"Option4(2)", kBanCaption, false},
                                         {"Option4(3)", kBanCaption, false},
                                         {"Option4(4)", kBanCaption, false},
                                         {"Option4(5)", kBanCaption, false},
                                         {"Option4(6)", kBanCaption, false},
                                         {"Option4(7)", kBanCaption, false},
                                         {"Option4(8)", kBanCaption, false}}};
    std::array<TextBox, 11> Text3{{{"Text3(0)", "0"},
                                   {"Text3(1)", "0"},
                                   {"Text3(2)", "0"},
                                   {"Text3(3)", "0"},
                                   {"Text3(4)", "0"},
                                   {"Text3(5)", "0"},
                                   {"Text3(6)", "0"},
                                   {"Text3(7)", "0"},
                                   {"Text3(8)", "0"},
                                   {"Text3(9)", "0"},
                                   {"Text3(10)", "0"}}};
    Label Label30{"Label30", "* Detection for these cheats is VERY basic."};
    Label Label29{"Label29", "Custom Warning:"};
    TextBox Alert3{"Alert3", "Cheat Detected!! Player: $name Cheat: $cheat IP: $IP"};
    Label Label11{"Label11", "View/Edit suspicious skins list"};
    // The logo shares its name's index series with the status icons but is not one of them.
    Picture Image1Logo{"Image1(2)", true};
    Label Label10{"Label10", "Logo: the watchful shield, drawn for this program"};
    Label Label14{"Label14",
                  "Rcon Vorstel 2.1 keeps watch over Medal of Honor Allied Assault and Spearhead servers "
                  "through the game's remote console alone: no files on the server, no plug-ins. "
                  "Built in C++ with Qt, and tested against a simulated server before it meets yours."};

    // Server Management
    Label Label7{"Label7", "Private clients tag:"};
    TextBox txtTAG{"txtTAG", "[MyClan]"};
    Label Label8{"Label8", "Private password:"};
    TextBox txtPRP{"txtPRP", "MyWord"};
    Button Command12{"Command12", "Make it private!"};
    Label Label37{"Label37", "Warning notice:"};
    TextBox Alert6{"Alert6", "Server will be private in $time seconds, public players please leave"};
    CheckBox Check1{"Check1", "Scan for private clients:", 0};
    CheckBox Check5{"Check5", "Scan for reserved skins", 0};
    Label Label17{"Label17", "View/Edit reserved skins list"};
    CheckBox Check6{"Check6", "Warn on non-optimized connections", 1};
    Label Label24{"Label24", "   No punishment available"};
    CheckBox Check2{"Check2", "Kick on high ping", 0};
    Label Label36{"Label36", "Kick if ping higher than            ms on           consecutive scans"};
    TextBox Text5{"Text5", "160"};
    TextBox Text6{"Text6", "4"};
    CheckBox Check3{"Check3", "Enable Spearhead compatibility", 1};
    Label Label6{"Label6", "Custom warnings:"};
    TextBox Alert1{"Alert1", "Warning: Public client using private slot. Player: $name"};
    TextBox Alert2{"Alert2", "Warning: Public slot used by private player. Player: $name"};
    TextBox Alert4{"Alert4", "Warning: Public client using reserved skin. Player: $name Skin: $skin"};
    TextBox Alert5{"Alert5", "Warning: Possible non-optimized connection - Player: $name"};
    TextBox Text7{"Text7", "Ping Kick: Ping>$ping on $scans consecutive scans - Player: $name"};

    // Penalties Management
    Label Label9{"Label9", "Make kick after            warnings  /"};
    TextBox AcWarns{"AcWarns", "0"};
    Label Label16{"Label16", "Make ban after             kicks"};
    TextBox AcKicks{"AcKicks", "3"};
    Label Label34{"Label34", "Warning history"};
    Table Warnings{"Warnings"};
    Button Command11{"Command11", "Remove Warning"};
    Button Command14{"Command14", "Convert to Ban"};
    Label Label31{"Label31", "Kick history"};
    Table Kicks{"Kicks"};
    Button Command10{"Command10", "Remove Kick"};
    Button Command15{"Command15", "Convert to Ban"};
    Label Label32{"Label32", "Ban history"};
    Table Bans{"Bans"};
    Button Command7{"Command7", "Remove Ban"};
    Button Command8{"Command8", "Ban Subrank"};
    Button Command9{"Command9", "Ban Provider"};
    Label Label15{"Label15", "Ban Notice:"};
    TextBox Alert7{"Alert7", "$ip was banned from this server on $date. Reason: $reason"};

    // The penalty row that each detection kind uses.
    PenaltyChoice Penalty(PenaltyRow row);

    // The index of the panel shown, 0 to 3.
    int ShownPanel = 0;

    // The buttons that act on a selected row.
    std::array<Element*, 12> selectionBound();

    // The elements that every request disables and enables again (twice a request: no
    // allocation).
    std::array<Element*, 9> linkGuarded();

    // Every element, for the view and for lookups by name.
    std::vector<Element*> elements();
    Element* find(const std::string& name);
};

}  // namespace vorstel
