#include "scan.h"

#include "../engine/server_info.h"
#include "../penalties/escalation.h"
#include "../penalties/penalty_tables.h"
#include "../penalties/ping_watch.h"
#include "../watchdog.h"
#include "../runtime/numbers.h"
#include "status_line.h"

namespace vorstel {

namespace {

struct DetectionInfo {
    TextBox Form1::*message;
    const char* cheat;  // "$cheat" for the cheat template; empty for the others
    const char* reason;
    PenaltyRow row;
};

DetectionInfo Info(DetectionKind kind) {
    switch (kind) {
        case DetectionKind::PublicInPrivateSlot:
            return {&Form1::Alert1, "", "Use of private slot", PenaltyRow::PrivateSlot};
        case DetectionKind::PrivateInPublicSlot:
            return {&Form1::Alert2, "", "Use of private slot", PenaltyRow::PrivateSlot};
        case DetectionKind::ReservedSkin:
            return {&Form1::Alert4, "", "Use of reserved skin", PenaltyRow::ReservedSkin};
        case DetectionKind::SuspiciousSkin:
            return {&Form1::Alert3, "Cheatskin: ", "", PenaltyRow::GlowingSkins};
        case DetectionKind::NoFog:
            return {&Form1::Alert3, "NoFog", "Cheat: NoFog", PenaltyRow::NoFog};
        case DetectionKind::Chameleon:
            return {&Form1::Alert3, "Modified Binaries/Chameleon?", "Cheat: Modified Binaries/Chameleon?",
                    PenaltyRow::ModifiedBinaries};
        case DetectionKind::Clearview:
            return {&Form1::Alert3, "NoFog(Clearview)", "Cheat: NoFog(Clearview)", PenaltyRow::NoFog};
        case DetectionKind::WhiteWalls:
            return {&Form1::Alert3, "WhiteWalls", "Cheat: WhiteWalls", PenaltyRow::WhiteWalls};
        case DetectionKind::ThirdPerson:
            return {&Form1::Alert3, "3rd Person", "Cheat: 3rd Person", PenaltyRow::ThirdPerson};
        case DetectionKind::Wallhack:
            return {&Form1::Alert3, "Wallhack", "Cheat: WallHack/DoorHack", PenaltyRow::Wallhack};
        case DetectionKind::ModifiedBinaries:
            return {&Form1::Alert3, "Modified binaries!!", "Cheat: Modified binaries!!", PenaltyRow::ModifiedBinaries};
        case DetectionKind::OgcAimbot:
            break;
    }
    return {&Form1::Alert3, "OGC Aimbot", "Cheat: OGC Aimbot", PenaltyRow::Aimbot};
}

}  // namespace

Scan::Scan(Watchdog& w) : Timer4(w.reactor().createTimer()), w_(w) {
    Timer4->setInterval(kPrivateCountdownStep * 1000);
    Timer4->onTimeout = [this] { w_.scope.spawn(Timer4_Tick()); };
    w_.form.Command12.onClick = [this] { Command12_Click(); };
}

Task<void> Scan::Work() {
    const auto pieces = Split(w_.engine.StatusText, "\r\n");
    ReadSkinList(w_.workdir() / kSkinsFile, w_.SuspiciousSkins, w_.SuspiciousSkinCount);
    ReadSkinList(w_.workdir() / kReservedFile, w_.ReservedSkins, w_.ReservedSkinCount);
    w_.form.Players.clear();
    const auto stops = w_.monitoring.stops();
    for (std::size_t i = 3; i + 3 <= pieces.size() && w_.monitoring.stops() == stops; ++i) {
        if (ParseStatusLine(pieces[i], w_.CurrentPlayer) != LineKind::Player) continue;
        co_await Player();
    }
}

Task<void> Scan::Player() {
    auto& p = w_.CurrentPlayer;
    p.Dump = ToLower(co_await w_.engine.Send("dumpuser \"" + p.Name));
    if (p.Dump.empty()) co_return;

    std::string allied, axis;
    ReadSkinCells(p.Dump, allied, axis);
    w_.form.Players.addRow({p.ClientNumber, p.Ping, p.Name, p.IP, p.Rate, allied, axis});
    w_.KickPending = false;
    co_await PrivateChecks();
    co_await CheatChecks();
    co_await WarnConnection(w_);
    co_await RunEscalation(w_);
}

Task<void> Scan::PrivateChecks() {
    auto& f = w_.form;
    const std::string dump = w_.CurrentPlayer.Dump;
    const std::string tag = ToLower(f.txtTAG.text());
    const std::string password = ToLower(f.txtPRP.text());
    const bool hasTag = dump.find(tag) != std::string::npos;  // an empty box is found in every dump
    const bool hasPassword = dump.find(password) != std::string::npos;

    if (PrivateMode && !hasPassword) w_.KickPending = true;
    if (f.Check1.value() == 1 && !hasTag && hasPassword) co_await RespondToDetection(DetectionKind::PublicInPrivateSlot);
    if (f.Check1.value() == 1 && hasTag && !hasPassword) co_await RespondToDetection(DetectionKind::PrivateInPublicSlot);
    if (f.Check5.value() == 1 && !hasTag) {
        const auto reserved = w_.ReservedSkins;  // the list may be re-read while a response waits
        const auto count = std::min<std::size_t>(reserved.size(), static_cast<std::size_t>(std::max(0, w_.ReservedSkinCount)));
        for (std::size_t i = 0; i < count; ++i) {
            if (DumpEndsALineWith(dump, ToLower(TrimSpaces(reserved[i])))) {
                co_await RespondToDetection(DetectionKind::ReservedSkin, reserved[i]);
                break;
            }
        }
    }
}

Task<void> Scan::CheatChecks() {
    auto& f = w_.form;
    const std::string dump = w_.CurrentPlayer.Dump;
    if (IsMacClient(dump)) co_return;
    if (f.Cheats[5].value() == 1) {
        const auto skins = w_.SuspiciousSkins;
        const auto count = std::min<std::size_t>(skins.size(), static_cast<std::size_t>(std::max(0, w_.SuspiciousSkinCount)));
        for (std::size_t i = 0; i < count; ++i) {
            const std::string entry = ToLower(TrimSpaces(skins[i]));
            // The aimbot's two models have a rule of their own.
            if (entry == "tiedie" || entry == "german_oakleave") continue;
            if (DumpEndsALineWith(dump, entry)) {
                co_await RespondToDetection(DetectionKind::SuspiciousSkin, skins[i]);
                break;
            }
        }
    }
    for (const auto& rule : CheatRules())
        if (f.Cheats[static_cast<std::size_t>(rule.cheatBox)].value() == 1 && rule.fires(dump))
            co_await RespondToDetection(rule.kind);
}

// "0" exactly means a ban without end; another number, that many days. A box that holds no
// usable number bans without end too, and the operator is told.
std::optional<long long> Scan::BanDays(const std::string& text) {
    if (text == "0") return std::nullopt;
    if (const auto days = ToInteger(text)) return *days;
    w_.Notice("Ban days \"" + text + "\" is not a usable number; the ban has no end.");
    return std::nullopt;
}

Task<void> Scan::RespondToDetection(DetectionKind kind, std::string entry) {
    auto& f = w_.form;
    const auto info = Info(kind);
    const PlayerLine player = w_.CurrentPlayer;
    const std::string cheat = kind == DetectionKind::SuspiciousSkin ? info.cheat + entry : info.cheat;
    const std::string reason = kind == DetectionKind::SuspiciousSkin ? cheat : info.reason;

    std::string message = ReplaceAll((f.*info.message).text(), "$name", player.Name);
    if (kind == DetectionKind::ReservedSkin) message = ReplaceAll(message, "$skin", entry);
    if (info.message == &Form1::Alert3) message = ReplaceAll(message, "$cheat", cheat);
    message = ReplaceAll(message, "$IP", player.IP);

    if (f.Silent.value() == 0) {
        co_await w_.engine.Send("say " + message);
        // The choice is read after the announcement: the operator may have changed it meanwhile.
        const auto choice = f.Penalty(info.row);
        if (choice.Warning->value()) AddWarning(f.Warnings, w_.calendar(), player.IP, player.Name, reason);
        else w_.KickPending = true;
        if (choice.Kick->value()) AddKick(f.Kicks, w_.calendar(), player.IP, player.Name, reason);
        if (choice.Ban->value()) AddBan(f.Bans, w_.calendar(), player.IP, player.Name, reason, BanDays(choice.Days->text()));
    }
    if (f.Logea.value() == 1) w_.AppendDetectionLog(message);
}

void Scan::Command12_Click() {
    // A click while the countdown runs changes nothing.
    if (Timer4->isActive()) return;
    PrivateCountdown = 60;
    Timer4->start();
}

Task<void> Scan::Timer4_Tick() {
    co_await w_.link.WaitForLink();
    if (PrivateCountdown <= 0) co_return;  // a tick that waited past the end of the countdown
    const std::string notice = ReplaceAll(w_.form.Alert6.text(), "$time", std::to_string(PrivateCountdown));
    co_await w_.link.SendRconCommand("say " + notice);
    PrivateCountdown -= kPrivateCountdownStep;
    if (PrivateCountdown == 0) {
        Timer4->stop();
        PrivateMode = true;
        w_.engine.ScanCountdown = 1;
    }
}

}  // namespace vorstel
