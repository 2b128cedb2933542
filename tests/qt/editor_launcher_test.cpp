// Which editor the window starts on a list file, and with what command line, on each kind of
// system; nothing is really started.
#include <gtest/gtest.h>

#include <QFile>
#include <map>

#include "editor_launcher.h"
#include "support.h"

namespace vorstel {
namespace {

class EditorLauncherTest : public ::testing::Test {
protected:
    // A Unix desktop with the given variables and programs on the PATH.
    EditorLauncher::Environment Unix(std::map<std::string, QString> variables, QStringList programs) {
        EditorLauncher::Environment env;
        env.system = EditorLauncher::System::Unix;
        env.variable = [variables](const char* name) {
            const auto found = variables.find(name);
            return found == variables.end() ? QString() : found->second;
        };
        env.findExecutable = [programs](const QString& program) {
            return programs.contains(program) ? "/usr/bin/" + program : QString();
        };
        env.startDetached = [this](const EditorCommand& c) {
            started.push_back(c);
            return starts;
        };
        env.openWithDesktop = [this](const QString& path) {
            opened.push_back(path);
            return opens;
        };
        return env;
    }
    QStringList CommandLines() const {
        QStringList lines;
        for (const auto& c : started) lines << c.commandLine();
        return lines;
    }

    test::TempDir dir;
    std::vector<EditorCommand> started;
    QStringList opened;
    bool starts = true;
    bool opens = true;
};

TEST_F(EditorLauncherTest, WindowsRunsNotepadOnTheBareNameInTheWorkingDirectory) {
    auto env = Unix({{"VISUAL", "gedit"}}, {"gedit"});
    env.system = EditorLauncher::System::Windows;
    EXPECT_TRUE(EditorLauncher(env).Open(dir / "skins.txt"));
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine(), "NOTEPAD.EXE skins.txt");
    EXPECT_EQ(started[0].workingDirectory.toStdString(), dir.path().string());
    EXPECT_FALSE(QFile::exists(QString::fromStdString((dir / "skins.txt").string()))) << "Notepad offers to create it";
}

TEST_F(EditorLauncherTest, VisualComesFirstWithItsOwnSwitches) {
    EXPECT_TRUE(EditorLauncher(Unix({{"VISUAL", "code --new-window"}, {"EDITOR", "vi"}}, {"code", "vi", "xterm"}))
                    .Open(dir / "reserved.txt"));
    EXPECT_EQ(CommandLines(), QStringList{"code --new-window reserved.txt"});
    EXPECT_EQ(started[0].workingDirectory.toStdString(), dir.path().string());
}

TEST_F(EditorLauncherTest, EditorRunsInATerminalOnlyWhenOneIsAtHand) {
    // $VISUAL names nothing installed: on to $EDITOR, in the Debian terminal before xterm.
    EXPECT_TRUE(EditorLauncher(Unix({{"VISUAL", "nonesuch"}, {"EDITOR", "vim"}}, {"vim", "xterm", "x-terminal-emulator"}))
                    .Open(dir / "vorstel.log"));
    EXPECT_EQ(CommandLines(), QStringList{"x-terminal-emulator -e vim vorstel.log"});

    started.clear();
    EXPECT_TRUE(EditorLauncher(Unix({{"EDITOR", "nano"}}, {"nano", "xterm"})).Open(dir / "vorstel.log"));
    EXPECT_EQ(CommandLines(), QStringList{"xterm -e nano vorstel.log"});

    // No terminal: a console editor would run unseen, so the desktop opens the file instead.
    started.clear();
    std::ofstream(dir / "vorstel.log") << "";
    EXPECT_TRUE(EditorLauncher(Unix({{"EDITOR", "nano"}}, {"nano"})).Open(dir / "vorstel.log"));
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(opened, QStringList{QString::fromStdString((dir / "vorstel.log").string())});
}

// The desktop opens only files that exist, and the launcher never creates one: an empty
// "reserved.txt" would empty the reserved list at the next scan.
TEST_F(EditorLauncherTest, TheDesktopOpensOnlyAFileThatExists) {
    std::ofstream(dir / "skins.txt") << "glow\n";
    const QString skins = QString::fromStdString((dir / "skins.txt").string());
    EditorLauncher launcher(Unix({}, {}));
    EXPECT_TRUE(launcher.Open(dir / "skins.txt"));
    EXPECT_FALSE(launcher.Open(dir / "reserved.txt"));
    EXPECT_EQ(opened, QStringList{skins});
    EXPECT_EQ(test::ReadFile(dir / "skins.txt"), "glow\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "reserved.txt"));
}

// A console editor needs a terminal, whichever variable names it.
TEST_F(EditorLauncherTest, AConsoleEditorInVisualRunsInATerminalToo) {
    EXPECT_TRUE(EditorLauncher(Unix({{"VISUAL", "vim"}}, {"vim", "xterm"})).Open(dir / "skins.txt"));
    EXPECT_EQ(CommandLines(), QStringList{"xterm -e vim skins.txt"});

    started.clear();
    std::ofstream(dir / "skins.txt") << "glow\n";
    EXPECT_TRUE(EditorLauncher(Unix({{"VISUAL", "/usr/bin/nvim -p"}}, {"/usr/bin/nvim"})).Open(dir / "skins.txt"));
    EXPECT_TRUE(started.empty()) << "no terminal: never started unseen";
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(EditorLauncherTest, FailuresFallThroughAndAreReportedAtTheEnd) {
    std::ofstream(dir / "skins.txt") << "glow\n";
    starts = false;
    opens = false;
    EXPECT_FALSE(EditorLauncher(Unix({{"VISUAL", "gedit"}, {"EDITOR", "vim"}}, {"gedit", "vim", "xterm"}))
                     .Open(dir / "skins.txt"));
    EXPECT_EQ(CommandLines(), (QStringList{"gedit skins.txt", "xterm -e vim skins.txt"}));
    EXPECT_EQ(opened.size(), 1);
}

}  // namespace
}  // namespace vorstel
