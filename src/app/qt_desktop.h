#pragma once
// Desktop services and the local clock for the window.
#include "runtime/calendar.h"
#include "runtime/desktop.h"
#include "runtime/dialogs.h"

class QWidget;

namespace vorstel {

class QtDesktop : public Desktop {
public:
    void clearClipboard() override;
    void setClipboardText(const std::string& text) override;
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
};

}  // namespace vorstel
