#include "qt_desktop.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>

namespace vorstel {

void QtDesktop::clearClipboard() {
    if (auto* c = QGuiApplication::clipboard()) c->clear();
}

void QtDesktop::setClipboardText(const std::string& text) {
    if (auto* c = QGuiApplication::clipboard())
        c->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

LocalDateTime SystemCalendar::now() const {
    const auto t = QDateTime::currentDateTime();
    const auto d = t.date();
    const auto h = t.time();
    return {d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second()};
}

}  // namespace vorstel
