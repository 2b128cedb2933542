#pragma once
// Starting the operator's plain-text editor on a file. Windows has NOTEPAD.EXE; elsewhere the
// editor is found the way a Unix desktop would: $VISUAL, then $EDITOR inside a terminal when
// one is at hand, then the desktop's opener for the file. Everything the launcher reaches
// outside itself goes through Environment, so tests see the command lines without starting
// anything.
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>

namespace vorstel {

struct EditorCommand {
    QString program;
    QStringList arguments;
    QString workingDirectory;

    // As it would be typed: "NOTEPAD.EXE skins.txt".
    QString commandLine() const;
};

class EditorLauncher {
public:
    enum class System { Windows, Unix };

    struct Environment {
        System system = System::Unix;
        std::function<QString(const char* name)> variable;
        // The full path of a program found on the PATH, or empty.
        std::function<QString(const QString& program)> findExecutable;
        std::function<bool(const EditorCommand&)> startDetached;
        // Hands an existing file to the desktop (xdg-open and the like).
        std::function<bool(const QString& absolutePath)> openWithDesktop;
    };

    // The running system's environment, PATH and process starter.
    static Environment SystemEnvironment();

    explicit EditorLauncher(Environment environment = SystemEnvironment());

    // Tries each way in turn, without waiting for the editor; false when none could start.
    bool Open(const std::filesystem::path& file) const;

private:
    bool Start(const QString& command, const QStringList& before, const std::filesystem::path& file) const;
    QString Terminal() const;

    Environment env_;
};

}  // namespace vorstel
