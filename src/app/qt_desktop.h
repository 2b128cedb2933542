#pragma once
// Desktop services and the local clock for the window.
#include "editor_launcher.h"
#include "runtime/calendar.h"
#include "runtime/desktop.h"
#include "runtime/dialogs.h"

class QWidget;

namespace vorstel {

class QtDesktop : public Desktop {
public:
    explicit QtDesktop(EditorLauncher editor = EditorLauncher()) : editor_(std::move(editor)) {}
    void clearClipboard() override;
    void setClipboardText(const std::string& text) override;
    bool openInTextEditor(const std::filesystem::path& file) override { return editor_.Open(file); }

private:
    EditorLauncher editor_;
};

// Message boxes that do not block: the event loop runs on while the operator reads.
class QtDialogs : public Dialogs {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    Task<MessageAnswer> Show(MessageBox box) override;

private:
    QWidget* parent_ = nullptr;
};

class SystemCalendar : public Calendar {
public:
    LocalDateTime now() const override;
    // From the locale's short date format: where "d" stands against "M".
    DateOrder shortDateOrder() const override;
};

}  // namespace vorstel
