#pragma once
// The mini console: a command typed into Text1 goes to the server on Enter and its reply is
// appended to txtOutput; copy and clear act on the pane; Logea governs Silent.
#include "../form/form1.h"
#include "../runtime/desktop.h"
#include "../runtime/task.h"
#include "rcon_link.h"

namespace vorstel {

class Console {
public:
    static constexpr int kEnter = 13;

    Console(Form1& form, RconLink& link, TaskScope& scope, Desktop& desktop);

    bool Text1_KeyPress(int key);
    void Command3_Click();  // copy
    void Command4_Click();  // clear
    void Logea_Click();

private:
    Task<void> SendTypedCommand();

    Form1& form_;
    RconLink& link_;
    TaskScope& scope_;
    Desktop& desktop_;
};

}  // namespace vorstel
