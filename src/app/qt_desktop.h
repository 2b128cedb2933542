#pragma once
// Desktop services and the local clock for the window.
#include "runtime/calendar.h"
#include "runtime/desktop.h"

namespace vorstel {

class QtDesktop : public Desktop {
public:
    void clearClipboard() override;
    void setClipboardText(const std::string& text) override;
};

class SystemCalendar : public Calendar {
public:
    LocalDateTime now() const override;
};

}  // namespace vorstel
