#include "editor_launcher.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace vorstel {

namespace {
QString Native(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

// Editors that draw in a terminal: started without one they run unseen, or not at all.
bool IsConsoleEditor(const QString& program) {
    static const QStringList known = {"vi",   "vim",  "nvim", "vim.basic", "vim.tiny", "elvis", "nano",
                                      "pico", "joe",  "jed",  "jove",      "mg",       "micro", "ne",
                                      "ed",   "ex",   "hx",   "helix",     "kak",      "mcedit", "zile"};
    return known.contains(QFileInfo(program).fileName());
}
}  // namespace

QString EditorCommand::commandLine() const { return (QStringList{program} + arguments).join(' '); }

EditorLauncher::Environment EditorLauncher::SystemEnvironment() {
    Environment env;
#ifdef Q_OS_WIN
    env.system = System::Windows;
#else
    env.system = System::Unix;
#endif
    env.variable = [](const char* name) { return qEnvironmentVariable(name); };
    env.findExecutable = [](const QString& program) { return QStandardPaths::findExecutable(program); };
    env.startDetached = [](const EditorCommand& c) {
        return QProcess::startDetached(c.program, c.arguments, c.workingDirectory);
    };
    env.openWithDesktop = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    return env;
}

EditorLauncher::EditorLauncher(Environment environment) : env_(std::move(environment)) {}

bool EditorLauncher::Open(const std::filesystem::path& file) const {
    if (env_.system == System::Windows)
        return env_.startDetached({"NOTEPAD.EXE", {Native(file.filename())}, Native(file.parent_path())});

    // $VISUAL may be a window of its own or a console editor; $EDITOR is taken for a console
    // one. A console editor needs a terminal to run in: without one it would start unseen.
    if (Start(env_.variable("VISUAL"), false, file)) return true;
    if (Start(env_.variable("EDITOR"), true, file)) return true;

    // The desktop opens only files that exist. The file is never created here: an editor
    // would offer to, but an empty list made behind the operator's back changes what the
    // next scan does.
    const QString path = Native(std::filesystem::absolute(file));
    if (!QFile::exists(path)) return false;
    return env_.openWithDesktop(path);
}

// `command` may carry its own switches ("code --new-window"); the bare file name goes last,
// and the editor runs in the file's folder.
bool EditorLauncher::Start(const QString& command, bool console, const std::filesystem::path& file) const {
    QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty() || env_.findExecutable(words.front()).isEmpty()) return false;
    if (console || IsConsoleEditor(words.front())) {
        const QString terminal = Terminal();
        if (terminal.isEmpty()) return false;
        words = QStringList{terminal, "-e"} + words;
    }
    EditorCommand c{words.takeFirst(), words, Native(file.parent_path())};
    c.arguments << Native(file.filename());
    return env_.startDetached(c);
}

QString EditorLauncher::Terminal() const {
    for (const QString& candidate : {QStringLiteral("x-terminal-emulator"), QStringLiteral("xterm")})
        if (!env_.findExecutable(candidate).isEmpty()) return candidate;
    return {};
}

}  // namespace vorstel
