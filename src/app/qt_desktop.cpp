#include "qt_desktop.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>

namespace vorstel {

void QtDesktop::clearClipboard() {
    if (auto* c = QGuiApplication::clipboard()) c->clear();
}

void QtDesktop::setClipboardText(const std::string& text) {
    if (auto* c = QGuiApplication::clipboard())
        c->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

namespace {

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// Resumes the awaiting coroutine when the box is closed; unhooks itself if that coroutine
// is destroyed first.
class BoxClosed {
public:
    explicit BoxClosed(QMessageBox* box) : box_(box) {}
    ~BoxClosed() { QObject::disconnect(connection_); }
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h) {
        connection_ = QObject::connect(box_, &QMessageBox::finished, [this, h] {
            QObject::disconnect(connection_);
            h.resume();
        });
        box_->open();
    }
    QMessageBox::StandardButton await_resume() const {
        return box_ ? box_->standardButton(box_->clickedButton()) : QMessageBox::NoButton;
    }

private:
    QPointer<QMessageBox> box_;
    QMetaObject::Connection connection_;
};

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::Exclamation: return QMessageBox::Warning;
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Task<MessageAnswer> QtDialogs::Show(MessageBox box) {
    const bool question = box.buttons == MessageButtons::YesNo;
    QPointer<QMessageBox> dialog = new QMessageBox(
        ToQt(box.icon), Latin1(box.title), Latin1(box.text),
        question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent_);
    dialog->setObjectName("MessageBox");
    dialog->setWindowModality(Qt::ApplicationModal);
    if (question) dialog->setDefaultButton(box.defaultAnswer == MessageAnswer::No ? QMessageBox::No : QMessageBox::Yes);
    const auto clicked = co_await BoxClosed(dialog);
    if (dialog) dialog->deleteLater();
    if (!question) co_return MessageAnswer::Ok;
    co_return clicked == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

LocalDateTime SystemCalendar::now() const {
    const auto t = QDateTime::currentDateTime();
    const auto d = t.date();
    const auto h = t.time();
    return {d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second()};
}

DateOrder SystemCalendar::shortDateOrder() const {
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    const auto day = format.indexOf(QLatin1Char('d')), month = format.indexOf(QLatin1Char('M'));
    return month >= 0 && (day < 0 || month < day) ? DateOrder::MonthFirst : DateOrder::DayFirst;
}

}  // namespace vorstel
