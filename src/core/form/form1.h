#pragma once
// Form1: the one window, as a model. Every element carries its own name; the view binds to
// them and the behaviour reads and writes them.
#include <string>
#include <vector>

#include "elements.h"

namespace vorstel {

class Form1 {
public:
    Form1();

    std::string caption = "Rcon Vorstel 2.1";

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

    // Main Setup: logging
    CheckBox Silent{"Silent", "Run in Silent Mode", 0};
    CheckBox Logea{"Logea", "Log Vorstel output to file", 1};

    // Main Setup: mini console
    Label Label22{"Label22", "Mini Console:"};
    TextBox txtOutput{"txtOutput", ""};
    TextBox Text1{"Text1", ""};
    TextBox Text4{"Text4", ""};  // the command being sent; never shown
    Button Command3{"Command3", "copy"};
    Button Command4{"Command4", "clear"};

    // The elements that every request disables and enables again.
    std::vector<Element*> linkGuarded();

    // Every element, for the view and for lookups by name.
    std::vector<Element*> elements();
    Element* find(const std::string& name);
};

}  // namespace vorstel
