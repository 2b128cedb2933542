#include "monitoring.h"

#include "../engine/server_info.h"
#include "../watchdog.h"

namespace vorstel {

Monitoring::Monitoring(Watchdog& w) : w_(w) {
    auto& f = w_.form;
    f.Command1.onClick = [this] { Command1_Click(); };
    f.Command13.onClick = [this] { Command13_Click(); };
    for (auto* box : {&f.txtSVR, &f.txtPORT, &f.txtPWD}) box->onChange = [this] { ConnectionChanged(); };
    f.txtPWD.onLostFocus = [this] { txtPWD_LostFocus(); };
}

void Monitoring::DisableControls() {
    for (auto* e : w_.form.linkGuarded()) e->setEnabled(false);
}

void Monitoring::Command1_Click() {
    auto& f = w_.form;
    f.Command1.setEnabled(false);
    f.Command1.setCaption("Scanning");
    for (auto* e : std::initializer_list<Element*>{&f.Command2, &f.Command13, &f.Text1}) e->setEnabled(false);
    w_.engine.ScanCountdown = 1;
    w_.engine.PatrolCountdown = 1;
    if (!w_.Timer3->isActive()) {
        w_.Timer3->setInterval(100);
        w_.Timer3->start();
    } else {
        w_.scope.spawn(ScanNow());
    }
}

// Start while monitoring: the next tick scans and patrols at once. The engine is still
// monitoring while its timer is held here, so a Stop meanwhile releases the server, and this
// then neither sends nor restarts the engine.
Task<void> Monitoring::ScanNow() {
    const auto session = stops_;
    w_.Timer3->stop();
    scanNowFor_ = session;
    co_await w_.link.WaitForLink();
    if (stops_ == session) co_await w_.link.SendRconCommand("set scanpass 1");
    if (stops_ != session) co_return;
    scanNowFor_.reset();
    w_.Timer3->start();
}

void Monitoring::Command13_Click() {
    DisableControls();
    w_.scope.spawn(StopMonitoring());
}

void Monitoring::ConnectionChanged() {
    if (w_.WindowReady != 1 || !w_.Timer3->isActive()) return;
    DisableControls();
    w_.scope.spawn(StopMonitoring());
}

void Monitoring::txtPWD_LostFocus() {
    if (!w_.form.txtPWD.text().empty()) return;
    w_.scope.spawn([](Dialogs& d) -> Task<void> {
        co_await d.Message("No rcon password provided!!", "Vorstel can't work without any rcon password!!",
                           MessageIcon::Critical);
    }(w_.dialogs()));
}

Task<std::string> Monitoring::ClaimServer() { co_return co_await Claim(true); }

Task<bool> Monitoring::FindFraming(bool ranPassword) {
    auto& link = w_.link;
    // A server that knows "version" but printed nothing for the marker simply keeps quiet
    // about unknown variables.
    if (!ranPassword) {
        if (!(co_await w_.engine.Send("version", Framing::LeadingBlank)).empty() || !link.lastReplyHeaderOnly())
            co_return false;
    }
    if ((co_await w_.engine.Send("version", Framing::RawLine)).empty()) co_return false;
    link.UseFraming(Framing::RawLine);
    w_.Notice("Server takes the command from the raw line; sending rcon without the leading blank.");
    co_return true;
}

Task<std::string> Monitoring::Claim(bool first) {
    auto& link = w_.link;
    std::string answer = co_await link.SendRconCommand("sv_vorstel");
    // Printed nothing, or named our password as an unknown command: perhaps the server ran the
    // password as the command. The empty-answer path below would then clear another
    // monitor's marker, so find out first.
    const std::string& password = w_.form.txtPWD.text();
    const bool ranPassword =
        !password.empty() && password != "sv_vorstel" &&
        StripColourCodes(answer).find("Unknown command \"" + StripColourCodes(password) + "\"") != std::string::npos;
    if (first && link.framing() == Framing::LeadingBlank &&
        ((answer.empty() && link.lastReplyHeaderOnly()) || ranPassword) && co_await FindFraming(ranPassword))
        answer = co_await w_.engine.Send("sv_vorstel");
    if (answer.find("command") != std::string::npos) answer.clear();
    std::string value;
    // A reply without a value (neither a refusal nor a variable) counts as no answer.
    if (!answer.empty() && answer.find("rconpassword") == std::string::npos && !VariableValue(answer, value))
        answer.clear();
    value = StripColourCodes(value);

    if (!answer.empty()) {
        if (answer.find("rconpassword") != std::string::npos) {
            co_await w_.dialogs().Message("Bad rcon password!", "Rcon password is incorrect!", MessageIcon::Critical);
            w_.Timer3->stop();
            co_return "0";
        }
        if (value != "0") {
            const auto choice = co_await w_.dialogs().Message(
                "Already Monitored!",
                "Apparently, there 's already an Rcon Vorstel monitoring this server.\r\n"
                "You can force the connection, though.\r\n\r\nAre you sure you want to continue?",
                MessageIcon::None, MessageButtons::YesNo, MessageAnswer::Yes);
            if (choice != MessageAnswer::Yes) {
                w_.Timer3->stop();
                co_return "0";
            }
        }
        co_await w_.engine.Send("set sv_vorstel 1");
        co_return "1";
    }

    co_await w_.engine.Send("set sv_vorstel 0");  // creates the marker where it is missing
    co_await link.WaitForLink();
    if (ClaimRetry) {
        co_await w_.dialogs().Message("Server offline!", "Server is not responding!", MessageIcon::Critical);
        w_.Timer3->stop();
        ClaimRetry = false;
        co_return "0";
    }
    ClaimRetry = true;
    co_await link.WaitForLink();
    co_return co_await Claim(false);
}

Task<void> Monitoring::StopMonitoring() {
    // A cycle or a "scan now" that an earlier Stop has already ended holds nothing any more.
    const bool watching = w_.Timer3->isActive() || (w_.engine.inCycle() && !w_.engine.ended()) ||
                          scanNowFor_ == stops_;
    scanNowFor_.reset();
    ++stops_;
    auto& f = w_.form;
    f.Picture1.setVisible(true);
    f.kickpro.setValue(0);
    f.scanpro.setValue(0);
    f.Label18.setCaption("");
    f.Label21.setCaption("Server not running!!");
    f.Label35.setCaption("Server OS: ?");
    f.Label23.setCaption("Cheats: ?");
    f.Label26.setCaption("DMz DogTag: ?");
    f.Label25.setCaption("ModVorstel: ?");
    for (auto* icon : {&f.Image1[0], &f.Image1[1], &f.Image2, &f.Image3[0], &f.Image3[1], &f.Image4[0], &f.Image4[1],
                       &f.Image5})
        icon->setVisible(false);
    w_.ClearPlayers();
    // A scan or patrol stops the timer while it runs; the server is still held then, and is
    // released all the same. The cycle sees the stop and ends early.
    if (watching) {
        w_.Timer3->stop();
        // Release the server: the marker, the next map and the binaries check.
        static constexpr std::array<const char*, 3> kRelease = {"set sv_vorstel 0", "set nextmap \"\"",
                                                                "set resetvalue 0"};
        for (const char* command : kRelease) {
            co_await w_.link.WaitForLink();
            co_await w_.link.SendRconCommand(command);
        }
    }
    w_.Timer3->stop();
    f.Command1.setCaption("Start");
    for (auto* e : f.linkGuarded()) e->setEnabled(true);
}

}  // namespace vorstel
