#pragma once
// Starting the operator's plain-text editor on a file. Windows has NOTEPAD.EXE; elsewhere the
// editor is found the way a Unix desktop would: $VISUAL, then $EDITOR, each inside a terminal
// when it is a console editor and one is at hand, then the desktop's opener for a file that
// exists. No file is ever created. Everything the launcher reaches outside itself goes
// through Environment, so tests see the command lines without starting anything.
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
    // `console`: run it inside a terminal (a known console editor always is).
    bool Start(const QString& command, bool console, const std::filesystem::path& file) const;
    QString Terminal() const;

    Environment env_;
};

}  // namespace vorstel
