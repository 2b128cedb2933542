#include "editor_launcher.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace vorstel {

namespace {
QString Native(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }
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

    if (Start(env_.variable("VISUAL"), {}, file)) return true;
    // A console editor needs a window to run in: without a terminal it would start unseen.
    if (const QString terminal = Terminal(); !terminal.isEmpty())
        if (Start(env_.variable("EDITOR"), {terminal, "-e"}, file)) return true;

    // The desktop opens only files that exist; an editor would have offered to create it.
    const QString path = Native(std::filesystem::absolute(file));
    if (!QFile::exists(path)) {
        QFile created(path);
        if (!created.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    }
    return env_.openWithDesktop(path);
}

// `command` may carry its own switches ("code --new-window"); the bare file name goes last,
// and the editor runs in the file's folder.
bool EditorLauncher::Start(const QString& command, const QStringList& before, const std::filesystem::path& file) const {
    QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty() || env_.findExecutable(words.front()).isEmpty()) return false;
    words = before + words;
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
