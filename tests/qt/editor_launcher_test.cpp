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
    bool failing;  // every start, and the desktop's opener, fails
    bool result;
    QStringList tries;  // every command line started and every "open" by the desktop, in order
};

TEST(EditorLauncher, ChoosesTheEditorAndFallsThroughFailures) {
    using System = EditorLauncher::System;
    const LaunchCase cases[] = {
        {"Windows: Notepad on the bare name, whatever is set", System::Windows, {{"VISUAL", "gedit"}}, {"gedit"},
         false, false, true, {"NOTEPAD.EXE skins.txt"}},
        {"$VISUAL first with its own switches", System::Unix, {{"VISUAL", "code --new-window"}, {"EDITOR", "vi"}},
         {"code", "vi", "xterm"}, false, false, true, {"code --new-window skins.txt"}},
        {"$VISUAL not installed: $EDITOR in the Debian terminal before xterm", System::Unix,
         {{"VISUAL", "nonesuch"}, {"EDITOR", "vim"}}, {"vim", "xterm", "x-terminal-emulator"}, false, false, true,
         {"x-terminal-emulator -e vim skins.txt"}},
        {"a console editor in $VISUAL runs in a terminal too", System::Unix, {{"VISUAL", "vim"}}, {"vim", "xterm"},
         false, false, true, {"xterm -e vim skins.txt"}},
        {"no terminal: never started unseen, the desktop opens it", System::Unix, {{"VISUAL", "/usr/bin/nvim -p"}},
         {"/usr/bin/nvim"}, true, false, true, {"open"}},
        // An empty "reserved.txt" would empty the reserved list at the next scan.
        {"nothing set: a missing file is never created", System::Unix, {}, {}, false, false, false, {}},
        {"failures fall through and are reported at the end", System::Unix, {{"VISUAL", "gedit"}, {"EDITOR", "vim"}},
         {"gedit", "vim", "xterm"}, true, true, false, {"gedit skins.txt", "xterm -e vim skins.txt", "open"}},
    };
    for (const LaunchCase& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        if (c.fileExists) std::ofstream(dir / "skins.txt") << "glow\n";
        QStringList tries;
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
            tries << command.commandLine();
            EXPECT_EQ(command.workingDirectory.toStdString(), dir.path().string());
            return !c.failing;
        };
        env.openWithDesktop = [&](const QString& path) {
            EXPECT_EQ(path.toStdString(), (dir / "skins.txt").string());
            tries << "open";
            return !c.failing;
        };

        EXPECT_EQ(EditorLauncher(env).Open(dir / "skins.txt"), c.result);
        EXPECT_EQ(tries, c.tries);
        EXPECT_EQ(test::ReadFile(dir / "skins.txt"), c.fileExists ? "glow\n" : "");
        EXPECT_EQ(std::filesystem::exists(dir / "skins.txt"), c.fileExists);
    }
}

}  // namespace
}  // namespace vorstel
