// Which editor the window starts on a list file, and with what command line, on each kind of
// system; nothing is really started.
#include <gtest/gtest.h>

#include <map>

#include "editor_launcher.h"
#include "support.h"

namespace vorstel {
namespace {

struct LaunchCase {
    const char* what;
    EditorLauncher::System system;
    std::map<std::string, QString> variables;
    QStringList programs;  // found on the PATH
    bool fileExists;
    bool starts, opens;  // whether starting a program, or the desktop's opener, succeeds
    bool result;
    QStringList commandLines;  // every start tried, in order
    bool desktopOpened;
};

TEST(EditorLauncher, ChoosesTheEditorAndFallsThroughFailures) {
    using System = EditorLauncher::System;
    const LaunchCase cases[] = {
        {"Windows: Notepad on the bare name, whatever is set", System::Windows, {{"VISUAL", "gedit"}}, {"gedit"},
         false, true, true, true, {"NOTEPAD.EXE skins.txt"}, false},
        {"$VISUAL first with its own switches", System::Unix, {{"VISUAL", "code --new-window"}, {"EDITOR", "vi"}},
         {"code", "vi", "xterm"}, false, true, true, true, {"code --new-window skins.txt"}, false},
        {"$VISUAL not installed: $EDITOR in the Debian terminal before xterm", System::Unix,
         {{"VISUAL", "nonesuch"}, {"EDITOR", "vim"}}, {"vim", "xterm", "x-terminal-emulator"}, false, true, true, true,
         {"x-terminal-emulator -e vim skins.txt"}, false},
        {"a console editor in $VISUAL runs in a terminal too", System::Unix, {{"VISUAL", "vim"}}, {"vim", "xterm"},
         false, true, true, true, {"xterm -e vim skins.txt"}, false},
        {"no terminal: never started unseen, the desktop opens it", System::Unix, {{"VISUAL", "/usr/bin/nvim -p"}},
         {"/usr/bin/nvim"}, true, true, true, true, {}, true},
        {"nothing set: the desktop opens a file that exists", System::Unix, {}, {}, true, true, true, true, {}, true},
        // An empty "reserved.txt" would empty the reserved list at the next scan.
        {"nothing set: a missing file is never created", System::Unix, {}, {}, false, true, true, false, {}, false},
        {"failures fall through and are reported at the end", System::Unix, {{"VISUAL", "gedit"}, {"EDITOR", "vim"}},
         {"gedit", "vim", "xterm"}, true, false, false, false, {"gedit skins.txt", "xterm -e vim skins.txt"}, true},
    };
    for (const LaunchCase& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        if (c.fileExists) std::ofstream(dir / "skins.txt") << "glow\n";
        std::vector<EditorCommand> started;
        QStringList opened;
        EditorLauncher::Environment env;
        env.system = c.system;
        env.variable = [&c](const char* name) {
            const auto found = c.variables.find(name);
            return found == c.variables.end() ? QString() : found->second;
        };
        env.findExecutable = [&c](const QString& program) {
            return c.programs.contains(program) ? "/usr/bin/" + program : QString();
        };
        env.startDetached = [&](const EditorCommand& command) {
            started.push_back(command);
            return c.starts;
        };
        env.openWithDesktop = [&](const QString& path) {
            opened.push_back(path);
            return c.opens;
        };

        EXPECT_EQ(EditorLauncher(env).Open(dir / "skins.txt"), c.result);
        QStringList commandLines;
        for (const auto& command : started) {
            commandLines << command.commandLine();
            EXPECT_EQ(command.workingDirectory.toStdString(), dir.path().string());
        }
        EXPECT_EQ(commandLines, c.commandLines);
        EXPECT_EQ(opened, c.desktopOpened ? QStringList{QString::fromStdString((dir / "skins.txt").string())}
                                          : QStringList{});
        EXPECT_EQ(test::ReadFile(dir / "skins.txt"), c.fileExists ? "glow\n" : "");
        EXPECT_EQ(std::filesystem::exists(dir / "skins.txt"), c.fileExists);
    }
}

}  // namespace
}  // namespace vorstel
