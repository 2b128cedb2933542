#include "console.h"

namespace vorstel {

Console::Console(Form1& form, RconLink& link, TaskScope& scope, Desktop& desktop)
    : form_(form), link_(link), scope_(scope), desktop_(desktop) {
    form_.Text1.onKeyPress = [this](int key) { return Text1_KeyPress(key); };
    form_.Command3.onClick = [this] { Command3_Click(); };
    form_.Command4.onClick = [this] { Command4_Click(); };
    form_.Logea.onClick = [this] { Logea_Click(); };
}

bool Console::Text1_KeyPress(int key) {
    if (key != kEnter || form_.Text1.text().empty()) return false;
    form_.Text4.setText(form_.Text1.text());
    form_.Text1.setText("");
    scope_.spawn(SendTypedCommand());
    return true;
}

Task<void> Console::SendTypedCommand() {
    co_await link_.WaitForLink();
    std::string command = form_.Text4.text();
    // The program frames the command itself.
    if (command.rfind("rcon ", 0) == 0) command.erase(0, 5);
    const std::string reply = co_await link_.SendRconCommand(command);
    form_.txtOutput.append(reply);
    form_.Text1.setText("");
    form_.Text4.setText("");
    form_.txtOutput.setSelection(form_.txtOutput.text().size(), 0);
    form_.Text1.setFocus();
}

void Console::Command3_Click() {
    desktop_.clearClipboard();
    const auto& pane = form_.txtOutput;
    desktop_.setClipboardText(pane.selLength() > 0 ? pane.selectedText() : pane.text());
}

void Console::Command4_Click() { form_.txtOutput.setText(""); }

void Console::Logea_Click() {
    if (form_.Logea.value() == 0) {
        form_.Silent.setValue(0);
        form_.Silent.setEnabled(false);
    } else {
        form_.Silent.setEnabled(true);
    }
}

}  // namespace vorstel
