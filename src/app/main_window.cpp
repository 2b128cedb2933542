#include "main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QVBoxLayout>

namespace vorstel {

QString ToQt(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string FromQt(const QString& s) { return s.toLatin1().toStdString(); }

namespace {

// Forwards key presses and focus loss of a text box to its element.
class TextBoxEvents : public QObject {
public:
    TextBoxEvents(TextBox& box, QObject* parent) : QObject(parent), box_(box) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            box_.keyDown(key->key());
            int ascii = 0;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) ascii = 13;
            else if (!key->text().isEmpty()) ascii = static_cast<unsigned char>(key->text().toLatin1().at(0));
            if (ascii != 0 && box_.keyPress(ascii)) return true;
        } else if (event->type() == QEvent::FocusOut) {
            box_.lostFocus();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TextBox& box_;
};

// The pane shows LF where the model holds CR LF; selections are mapped between the two.
QString ForDisplay(const std::string& s) {
    QString q = ToQt(s);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return q;
}

std::size_t ModelOffset(const std::string& text, int displayOffset) {
    std::size_t i = 0;
    for (int shown = 0; i < text.size() && shown < displayOffset; ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        ++shown;
    }
    return i;
}

int DisplayOffset(const std::string& text, std::size_t modelOffset) {
    int shown = 0;
    for (std::size_t i = 0; i < text.size() && i < modelOffset; ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) ++shown;
    return shown;
}

}  // namespace

MainWindow::MainWindow(Watchdog& watchdog, QWidget* parent) : QMainWindow(parent), watchdog_(watchdog) {
    auto& form = watchdog_.form;
    setWindowTitle(ToQt(form.caption));

    tabs_ = new QTabWidget;
    tabs_->setObjectName("TabStrip1");
    tabs_->addTab(BuildMainSetup(), "Main Setup");
    for (const char* title : {"Cheat Management", "Server Management", "Penalties Management"}) {
        auto* panel = new QWidget;
        tabs_->addTab(panel, title);
        tabs_->setTabEnabled(tabs_->count() - 1, false);  // their panels arrive with their rules
    }
    for (int i = 0; i < tabs_->count(); ++i) tabs_->widget(i)->setObjectName(QStringLiteral("Solapa%1").arg(i));

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(tabs_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BindButton(form.Command2));
    layout->addLayout(bottom);
    setCentralWidget(central);

    watchdog_.onCloseRequested = [this] { close(); };
    resize(700, 500);
}

QWidget* MainWindow::BuildMainSetup() {
    auto& f = watchdog_.form;
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);

    // Left: connection, intervals, logging.
    auto* left = new QGridLayout;
    left->addWidget(BindLabel(f.Label1), 0, 0);
    left->addWidget(BindLabel(f.Label2), 0, 1);
    left->addWidget(BindLabel(f.Label3), 0, 2);
    left->addWidget(BindLineEdit(f.txtSVR), 1, 0);
    auto* port = BindLineEdit(f.txtPORT);
    port->setMaximumWidth(port->fontMetrics().horizontalAdvance("000000") + 16);
    left->addWidget(port, 1, 1);
    left->addWidget(BindLineEdit(f.txtPWD), 1, 2);
    left->addWidget(BindButton(f.Command1), 1, 3);
    left->addWidget(BindButton(f.Command13), 1, 4);
    left->addWidget(CaptionAroundBox(f.Label5, f.txtMin), 2, 0, 1, 5);
    left->addWidget(CaptionAroundBox(f.Label4, f.MinPolt), 3, 0, 1, 5);
    left->addWidget(BindCheckBox(f.Silent), 4, 0, 1, 5);
    left->addWidget(BindCheckBox(f.Logea), 5, 0, 1, 5);
    left->setRowStretch(6, 1);
    grid->addLayout(left, 0, 0);

    // Right: the mini console.
    auto* console = new QGridLayout;
    console->addWidget(BindLabel(f.Label22), 0, 0, 1, 3);
    console->addWidget(BindPane(f.txtOutput), 1, 0, 1, 3);
    auto* input = BindLineEdit(f.Text1);
    input->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    console->addWidget(input, 2, 0);
    for (auto* b : {&f.Command3, &f.Command4}) {
        auto* button = BindButton(*b);
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
        console->addWidget(button, 2, b == &f.Command3 ? 1 : 2);
    }
    console->setRowStretch(1, 1);
    grid->addLayout(console, 0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    return panel;
}

QWidget* MainWindow::Bind(Element& e, QWidget* w) {
    w->setObjectName(ToQt(e.name()));
    w->setEnabled(e.enabled());
    if (!e.visible()) w->setHidden(true);  // showing a widget before it has a parent would open a window
    e.addListener([&e, w](Property p) {
        if (p == Property::Enabled) w->setEnabled(e.enabled());
        else if (p == Property::Visible) w->setVisible(e.visible());
        else if (p == Property::Focus) w->setFocus();
    });
    return w;
}

QLabel* MainWindow::BindLabel(Label& l) {
    auto* w = new QLabel(ToQt(l.caption()));
    Bind(l, w);
    l.addListener([&l, w](Property p) {
        if (p == Property::Caption) w->setText(ToQt(l.caption()));
    });
    return w;
}

QPushButton* MainWindow::BindButton(Button& b) {
    auto* w = new QPushButton(ToQt(b.caption()));
    Bind(b, w);
    b.addListener([&b, w](Property p) {
        if (p == Property::Caption) w->setText(ToQt(b.caption()));
    });
    connect(w, &QPushButton::clicked, this, [&b] { b.click(); });
    return w;
}

QCheckBox* MainWindow::BindCheckBox(CheckBox& c) {
    auto* w = new QCheckBox(ToQt(c.caption()));
    w->setChecked(c.value() != 0);
    Bind(c, w);
    c.addListener([&c, w](Property p) {
        if (p == Property::Value) w->setChecked(c.value() != 0);
    });
    connect(w, &QCheckBox::clicked, this, [&c](bool checked) { c.setValue(checked ? 1 : 0); });
    return w;
}

QLineEdit* MainWindow::BindLineEdit(TextBox& t) {
    auto* w = new QLineEdit(ToQt(t.text()));
    Bind(t, w);
    t.addListener([&t, w](Property p) {
        if (p == Property::Text || p == Property::Appended) {
            const QString text = ToQt(t.text());
            if (w->text() != text) w->setText(text);
        }
    });
    connect(w, &QLineEdit::textEdited, this, [&t](const QString& text) { t.setText(FromQt(text)); });
    w->installEventFilter(new TextBoxEvents(t, w));
    return w;
}

QPlainTextEdit* MainWindow::BindPane(TextBox& t) {
    auto* w = new QPlainTextEdit;
    w->setReadOnly(true);
    w->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    w->setStyleSheet("QPlainTextEdit { background: black; color: #ffffc0; }");
    w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w->setPlainText(ForDisplay(t.text()));
    Bind(t, w);
    auto shown = std::make_shared<std::size_t>(t.text().size());
    t.addListener([&t, w, shown](Property p) {
        if (p == Property::Appended && *shown <= t.text().size()) {
            // A CR LF may straddle the seam; redraw the whole pane in that rare case.
            if (*shown > 0 && t.text()[*shown - 1] == '\r') {
                w->setPlainText(ForDisplay(t.text()));
            } else {
                QTextCursor end(w->document());
                end.movePosition(QTextCursor::End);
                end.insertText(ForDisplay(t.text().substr(*shown)));
            }
            *shown = t.text().size();
        } else if (p == Property::Text) {
            w->setPlainText(ForDisplay(t.text()));
            *shown = t.text().size();
        } else if (p == Property::Selection) {
            QTextCursor c(w->document());
            c.setPosition(DisplayOffset(t.text(), t.selStart()));
            c.setPosition(DisplayOffset(t.text(), t.selStart() + t.selLength()), QTextCursor::KeepAnchor);
            w->setTextCursor(c);
            w->ensureCursorVisible();
        }
    });
    connect(w, &QPlainTextEdit::selectionChanged, this, [&t, w] {
        const auto c = w->textCursor();
        const auto from = ModelOffset(t.text(), c.selectionStart());
        const auto to = ModelOffset(t.text(), c.selectionEnd());
        t.setSelection(from, to - from);
    });
    return w;
}

// "Scan players every             minutes": the box sits in the gap of its caption.
QWidget* MainWindow::CaptionAroundBox(Label& caption, TextBox& box) {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const QString text = ToQt(caption.caption());
    const auto parts = text.split(QRegularExpression(" {3,}"));
    auto* before = new QLabel(parts.value(0).trimmed());
    auto* after = new QLabel(parts.value(1).trimmed());
    before->setObjectName(ToQt(caption.name()));
    h->addWidget(before);
    auto* edit = BindLineEdit(box);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("00000") + 16);
    h->addWidget(edit);
    h->addWidget(after);
    h->addStretch(1);
    return row;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (shutdownDone_) {
        event->accept();
        return;
    }
    event->ignore();
    if (watchdog_.shuttingDown()) return;  // a second close while shutting down changes nothing
    watchdog_.scope.spawn([](MainWindow* self) -> Task<void> {
        co_await self->watchdog_.Shutdown();
        self->shutdownDone_ = true;
        emit self->shutdownFinished();
    }(this));
}

}  // namespace vorstel
