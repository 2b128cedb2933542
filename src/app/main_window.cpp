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
#include <QProgressBar>
#include <QTableView>
#include <QPushButton>
#include <QRadioButton>
#include <QFrame>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QValidator>
#include <QVBoxLayout>
#include <functional>
#include <set>

#include "pictures.h"
#include "table_view.h"

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
            // Tab and Shift+Tab only move the focus on: the box never sees them as its keys.
            // The key reaches the box first; its reaction (which may stop monitoring and lock
            // the box) follows at once, so the key itself is never lost.
            if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab && box_.onKeyDown)
                QMetaObject::invokeMethod(
                    this, [this, code = key->key()] { box_.keyDown(code); }, Qt::QueuedConnection);
            int ascii = 0;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) ascii = 13;
            else if (!key->text().isEmpty()) ascii = static_cast<unsigned char>(key->text().toLatin1().at(0));
            if (ascii != 0 && box_.keyPress(ascii)) return true;
        } else if (event->type() == QEvent::FocusOut && MovesOnInsideTheWindow(static_cast<QFocusEvent*>(event))) {
            box_.lostFocus();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Tab, a click on another control or a shortcut. Another program, a context menu or a
    // message box taking the focus for a while is no loss of focus.
    static bool MovesOnInsideTheWindow(const QFocusEvent* event) {
        switch (event->reason()) {
            case Qt::TabFocusReason:
            case Qt::BacktabFocusReason:
            case Qt::MouseFocusReason:
            case Qt::ShortcutFocusReason:
                return true;
            default:
                return false;
        }
    }

    TextBox& box_;
};

// A label drawn as a link: blue and underlined, grey when disabled, a pointing hand under the
// mouse. It takes the focus with Tab and follows with Space or Enter, as a button would.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString& text, std::function<void()> follow) : QLabel(text), follow_(std::move(follow)) {
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        QPalette p = palette();
        const QColor link = p.color(QPalette::Active, QPalette::Link);
        p.setColor(QPalette::Active, QPalette::WindowText, link);
        p.setColor(QPalette::Inactive, QPalette::WindowText, link);
        setPalette(p);
        setFocusPolicy(Qt::StrongFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        UpdateCursor();
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Follow();
        QLabel::mouseReleaseEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            Follow();
            return;
        }
        QLabel::keyPressEvent(event);
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) UpdateCursor();
        QLabel::changeEvent(event);
    }
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (!hasFocus()) return;
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }

private:
    void Follow() {
        if (isEnabled() && follow_) follow_();
    }
    void UpdateCursor() {
        if (isEnabled()) setCursor(Qt::PointingHandCursor);
        else unsetCursor();
    }

    std::function<void()> follow_;
};

// Gives each column of a table view its share of the view's width, in the proportions of
// the table's column widths; a column never gets less than three quarters of its own width,
// the view scrolls instead.
class ProportionalColumns : public QObject {
public:
    // The viewport's own resize comes once the view has placed its frame and scroll bars.
    ProportionalColumns(Table& table, QTableView* view)
        : QObject(view), table_(table), view_(view), viewport_(view->viewport()) {
        viewport_->installEventFilter(this);
    }
    void Apply() {
        const auto& columns = table_.columns();
        int total = 0;
        for (const auto& c : columns) total += c.widthTwips;
        if (total <= 0) return;
        const int dpi = view_->logicalDpiX();
        const int available = view_->viewport()->width();
        int used = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int least = TwipsToPixels(columns[i].widthTwips, dpi) * 3 / 4;
            int width = static_cast<int>(static_cast<long long>(available) * columns[i].widthTwips / total);
            if (i + 1 == columns.size()) width = available - used;  // no sliver left over
            width = std::max(width, least);
            view_->setColumnWidth(static_cast<int>(i), width);
            used += width;
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The view may be half destroyed when its viewport reports other events.
        if (event->type() == QEvent::Resize && watched == viewport_) Apply();
        return QObject::eventFilter(watched, event);
    }

private:
    Table& table_;
    QTableView* view_;
    QWidget* viewport_;
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

namespace {

QFrame* Line() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// Keeps its place in the layout while hidden, so the rest of the panel does not move when a
// row click shows it.
template <typename W>
W* KeepPlace(W* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
    return w;
}

void AppendNames(std::vector<std::string>& names, const PenaltyChoice& c) {
    for (const Element* e : std::initializer_list<const Element*>{c.Warning, c.Kick, c.Ban, c.Days}) names.push_back(e->name());
}

// The width of a check box's or option button's box and its gap, to line text up with captions.
int IndicatorIndent(const QWidget* w) {
    return w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
           w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
}

}  // namespace

MainWindow::MainWindow(Watchdog& watchdog, QWidget* parent) : QMainWindow(parent), watchdog_(watchdog) {
    auto& form = watchdog_.form;
    setWindowTitle(ToQt(form.caption));
    setWindowIcon(AppIcon());

    tabs_ = new QTabWidget;
    tabs_->setObjectName("TabStrip1");
    tabs_->addTab(BuildMainSetup(), Form1::kTabs[0]);
    tabs_->addTab(BuildCheatManagement(), Form1::kTabs[1]);
    tabs_->addTab(BuildServerManagement(), Form1::kTabs[2]);
    tabs_->addTab(BuildPenaltiesManagement(), Form1::kTabs[3]);
    for (int i = 0; i < tabs_->count(); ++i) tabs_->widget(i)->setObjectName(QStringLiteral("Solapa(%1)").arg(i));
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) { watchdog_.TabStrip1_Click(tab); });

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(tabs_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* exit = BindButton(form.Command2);
    exit->setMinimumWidth(exit->sizeHint().width() * 3 / 2);
    bottom->addWidget(exit);
    layout->addLayout(bottom);
    setCentralWidget(central);

    watchdog_.onCloseRequested = [this] { close(); };
    // The reference window's client area, 10035 x 6780 twips, was laid out with text boxes 19
    // pixels high: grown in step with the boxes of this style and font, never below what the
    // panels need.
    const qreal grow = std::max(1.0, QLineEdit().sizeHint().height() / 19.0);
    const QSize reference(static_cast<int>(TwipsToPixels(10035, logicalDpiX()) * grow),
                          static_cast<int>(TwipsToPixels(6780, logicalDpiY()) * grow));
    resize(reference.expandedTo(minimumSizeHint()));
}

// The model may outlive its widgets: stop mirroring into them.
MainWindow::~MainWindow() {
    for (auto* e : watchdog_.form.elements()) e->clearListeners();
    watchdog_.onCloseRequested = nullptr;
}

QWidget* MainWindow::BuildMainSetup() {
    auto& f = watchdog_.form;
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);

    // Left: connection, intervals, logging, the server's details.
    auto* left = new QGridLayout;
    left->addWidget(BindLabel(f.Label1), 0, 0);
    left->addWidget(BindLabel(f.Label2), 0, 1);
    left->addWidget(BindLabel(f.Label3), 0, 2);
    left->addWidget(BindLineEdit(f.txtSVR), 1, 0);
    auto* port = BindLineEdit(f.txtPORT);
    port->setMaximumWidth(port->fontMetrics().horizontalAdvance("0000000") + 12);
    left->addWidget(port, 1, 1);
    auto* password = BindLineEdit(f.txtPWD);
    password->setMinimumWidth(password->fontMetrics().horizontalAdvance("myWord") * 3 / 2);
    left->addWidget(password, 1, 2);
    left->addWidget(BindButton(f.Command1), 1, 3);
    left->addWidget(BindButton(f.Command13), 1, 4);
    left->addWidget(CaptionAroundBoxes(f.Label5, {&f.txtMin}), 2, 0, 1, 3);
    left->addWidget(BindProgress(f.scanpro), 2, 3, 1, 2);
    left->addWidget(CaptionAroundBoxes(f.Label4, {&f.MinPolt}), 3, 0, 1, 3);
    left->addWidget(BindProgress(f.kickpro), 3, 3, 1, 2);
    auto* checks = new QVBoxLayout;
    checks->addWidget(BindCheckBox(f.SoS));
    checks->addWidget(BindCheckBox(f.Silent));
    auto* logea = BindCheckBox(f.Logea);
    checks->addWidget(logea);
    // The detection log's links, under its check box's caption.
    auto* links = new QHBoxLayout;
    links->setSpacing(fontMetrics().averageCharWidth() * 2);
    links->addSpacing(IndicatorIndent(logea));
    links->addWidget(BindLink(f.Label12));
    links->addWidget(BindLink(f.Label13));
    links->addStretch(1);
    checks->addLayout(links);
    checks->addStretch(1);
    left->addLayout(checks, 4, 0, 1, 2);
    left->addWidget(StatusArea(), 4, 2, 1, 3);
    left->setColumnStretch(0, 3);
    left->setColumnStretch(2, 2);
    left->setRowStretch(5, 1);
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
        const QFontMetrics bolder(bold);
        button->setFixedWidth(std::max(bolder.horizontalAdvance("copy"), bolder.horizontalAdvance("clear")) +
                              bolder.averageCharWidth() * 5);
        console->addWidget(button, 2, b == &f.Command3 ? 1 : 2);
    }
    console->setColumnStretch(0, 1);
    console->setRowStretch(1, 1);
    grid->addLayout(console, 0, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    // The server's status line, then the players with the banner over them while idle.
    auto* statusLine = new QHBoxLayout;
    statusLine->addWidget(BindLabel(f.Label21), 2);
    auto* age = BindLabel(f.Label18);
    age->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Its caption changes every second: at a fixed size a new text repaints the label alone
    // instead of laying out the whole window again.
    age->setFixedSize(age->fontMetrics().horizontalAdvance(QStringLiteral("Last Data Retrieval: 0000000 seconds ago")),
                      age->sizeHint().height());
    statusLine->addWidget(age, 1);
    grid->addLayout(statusLine, 1, 0, 1, 2);
    auto* players = BindTable(f.Players);
    players->setMinimumHeight(players->fontMetrics().height() * 8);
    grid->addWidget(players, 2, 0, 1, 2);
    const QSize bannerSize(TwipsToPixels(2775, logicalDpiX()) * fontMetrics().height() / 13,
                           TwipsToPixels(495, logicalDpiX()) * fontMetrics().height() / 13);
    grid->addWidget(BindPicture(f.Picture1, Banner(bannerSize, devicePixelRatioF())), 2, 0, 1, 2, Qt::AlignCenter);
    grid->setRowStretch(2, 1);

    // The operator's actions on the selected player, and the duration of his ban.
    auto* ban = new QHBoxLayout;
    ban->addStretch(1);
    ban->addWidget(KeepPlace(BindButton(f.Command5)));
    ban->addWidget(KeepPlace(BindButton(f.Command6)));
    ban->addSpacing(fontMetrics().averageCharWidth() * 2);
    ban->addWidget(KeepPlace(BindOption(f.Option1)));
    ban->addWidget(KeepPlace(CaptionAroundBoxes(f.Option2, {&f.Text2}, BindOption(f.Option2))));
    grid->addLayout(ban, 3, 0, 1, 2);

    SetTabOrder(panel, {"txtSVR", "txtPORT", "txtPWD", "Command1", "Command13", "txtMin", "MinPolt", "SoS", "Silent",
                        "Logea", "Label12", "Label13", "txtOutput", "Text1", "Command3", "Command4", "Players",
                        "Command5", "Command6", "Option1", "Option2", "Text2"});
    return panel;
}

// "Additional Info:": the server's system, cheat switch and mods, each with its icons.
QWidget* MainWindow::StatusArea() {
    auto& f = watchdog_.form;
    auto* area = new QWidget;
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(BindLabel(f.Label20), 0, 0, 1, 2);
    const int size = fontMetrics().height();
    struct Row {
        std::vector<Picture*> icons;
        Label* caption;
    };
    const Row rows[] = {{{&f.Image2, &f.Image5}, &f.Label35},
                        {{&f.Image1[0], &f.Image1[1]}, &f.Label23},
                        {{&f.Image3[0], &f.Image3[1]}, &f.Label25},
                        {{&f.Image4[0], &f.Image4[1]}, &f.Label26}};
    int r = 1;
    for (const auto& row : rows) {
        auto* icons = new QHBoxLayout;
        icons->setContentsMargins(0, 0, 0, 0);
        for (auto* icon : row.icons) icons->addWidget(BindPicture(*icon, StatusIcon(icon->name(), size)));
        auto* holder = new QWidget;
        holder->setLayout(icons);
        holder->setFixedWidth(size + 8);
        grid->addWidget(holder, r, 0);
        grid->addWidget(BindLabel(*row.caption), r, 1);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(r, 1);
    return area;
}

// Warning, Kick, or Ban for [days] days: one detection kind's penalty.
QWidget* MainWindow::PenaltyRowWidget(PenaltyChoice choice) {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(BindOption(*choice.Warning));
    h->addWidget(BindOption(*choice.Kick));
    h->addWidget(CaptionAroundBoxes(*choice.Ban, {choice.Days}, BindOption(*choice.Ban)));
    h->addStretch(1);
    return row;
}

QWidget* MainWindow::BuildCheatManagement() {
    auto& f = watchdog_.form;
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    grid->addWidget(BindLabel(f.Label27), 0, 0);
    grid->addWidget(BindLabel(f.Label28[0]), 0, 2);
    for (int i = 0; i < 7; ++i) {
        grid->addWidget(BindCheckBox(f.Cheats[i]), i + 1, 0);
        grid->addWidget(PenaltyRowWidget(f.Penalty(static_cast<PenaltyRow>(i))), i + 1, 2);
    }
    // The suspicious skins are what "Glowing skins" looks for.
    grid->addWidget(BindLink(f.Label11), 6, 1);
    auto* footnote = new QHBoxLayout;
    footnote->addSpacing(IndicatorIndent(panel));
    footnote->addWidget(BindLabel(f.Label30));
    grid->addLayout(footnote, 8, 0, 1, 3);
    grid->addWidget(Line(), 9, 0, 1, 3);
    grid->addWidget(BindLabel(f.Label29), 10, 0, 1, 3);
    grid->addWidget(BindLineEdit(f.Alert3), 11, 0, 1, 3);

    // The logo and the credits.
    auto* about = new QHBoxLayout;
    about->setContentsMargins(0, fontMetrics().height() / 2, 0, 0);
    const int logoSize = fontMetrics().height() * 7;
    auto* logo = BindPicture(f.Image1Logo, Logo(logoSize, devicePixelRatioF()));
    logo->setAlignment(Qt::AlignTop);
    about->addWidget(logo);
    auto* credits = new QVBoxLayout;
    auto* program = BindLabel(f.Label14);
    program->setWordWrap(true);
    program->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    credits->addWidget(program);
    credits->addStretch(1);
    auto* picture = BindLabel(f.Label10);
    QFont small = picture->font();
    small.setItalic(true);
    picture->setFont(small);
    picture->setAlignment(Qt::AlignRight);
    credits->addWidget(picture);
    about->addSpacing(fontMetrics().averageCharWidth() * 2);
    about->addLayout(credits, 1);
    grid->addLayout(about, 12, 0, 1, 3);
    grid->setRowStretch(12, 1);
    grid->setColumnStretch(2, 1);

    std::vector<std::string> order;
    for (int i = 0; i < 7; ++i) {
        order.push_back(f.Cheats[i].name());
        if (i == 5) order.push_back(f.Label11.name());
        AppendNames(order, f.Penalty(static_cast<PenaltyRow>(i)));
    }
    order.push_back(f.Alert3.name());
    SetTabOrder(panel, order);
    return panel;
}

QWidget* MainWindow::BuildServerManagement() {
    auto& f = watchdog_.form;
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);

    // Who is private, and the notice before the server turns private.
    auto* identity = new QGridLayout;
    identity->addWidget(BindLabel(f.Label7), 0, 0);
    identity->addWidget(BindLineEdit(f.txtTAG), 0, 1);
    identity->addWidget(BindLabel(f.Label8), 1, 0);
    identity->addWidget(BindLineEdit(f.txtPRP), 1, 1);
    identity->setRowStretch(2, 1);
    auto* notice = new QVBoxLayout;
    // "Make it private!" heads the notice's column once the model has it.
    if (auto* makePrivate = dynamic_cast<Button*>(f.find("Command12"))) {
        auto* button = new QHBoxLayout;
        button->addWidget(BindButton(*makePrivate));
        button->addStretch(1);
        notice->addLayout(button);
    }
    notice->addWidget(BindLabel(f.Label37));
    notice->addWidget(BindLineEdit(f.Alert6));
    notice->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(identity);
    top->addSpacing(fontMetrics().averageCharWidth() * 2);
    top->addLayout(notice, 1);
    grid->addLayout(top, 0, 0, 1, 3);
    grid->addWidget(Line(), 1, 0, 1, 3);

    grid->addWidget(BindLabel(f.Label28[1]), 2, 2);
    grid->addWidget(BindCheckBox(f.Check1), 3, 0);
    grid->addWidget(PenaltyRowWidget(f.Penalty(PenaltyRow::PrivateSlot)), 3, 2);
    grid->addWidget(BindCheckBox(f.Check5), 4, 0);
    grid->addWidget(BindLink(f.Label17), 4, 1);
    grid->addWidget(PenaltyRowWidget(f.Penalty(PenaltyRow::ReservedSkin)), 4, 2);
    grid->addWidget(BindCheckBox(f.Check6), 5, 0, 1, 2);
    grid->addWidget(BindLabel(f.Label24), 5, 2);
    grid->addWidget(BindCheckBox(f.Check2), 6, 0, 1, 2);
    grid->addWidget(CaptionAroundBoxes(f.Label36, {&f.Text5, &f.Text6}), 6, 2);
    grid->addWidget(BindCheckBox(f.Check3), 7, 0, 1, 2);
    grid->addWidget(Line(), 8, 0, 1, 3);
    grid->addWidget(BindLabel(f.Label6), 9, 0, 1, 3);
    int row = 10;
    for (auto* alert : {&f.Alert1, &f.Alert2, &f.Alert4, &f.Alert5, &f.Text7})
        grid->addWidget(BindLineEdit(*alert), row++, 0, 1, 3);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(2, 1);

    std::vector<std::string> order = {"txtTAG", "txtPRP", "Command12", "Alert6", "Check1"};
    AppendNames(order, f.Penalty(PenaltyRow::PrivateSlot));
    order.insert(order.end(), {"Check5", "Label17"});
    AppendNames(order, f.Penalty(PenaltyRow::ReservedSkin));
    order.insert(order.end(), {"Check6", "Check2", "Text5", "Text6", "Check3", "Alert1", "Alert2", "Alert4", "Alert5", "Text7"});
    SetTabOrder(panel, order);
    return panel;
}

QWidget* MainWindow::BuildPenaltiesManagement() {
    auto& f = watchdog_.form;
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    auto* thresholds = new QHBoxLayout;
    thresholds->addWidget(CaptionAroundBoxes(f.Label9, {&f.AcWarns}));
    thresholds->addWidget(CaptionAroundBoxes(f.Label16, {&f.AcKicks}));
    thresholds->addStretch(1);
    grid->addLayout(thresholds, 0, 0, 1, 2);
    struct Section {
        Label* caption;
        Table* table;
        std::vector<Button*> buttons;
        int stretch;
    };
    const Section sections[] = {{&f.Label34, &f.Warnings, {&f.Command11, &f.Command14}, 4},
                                {&f.Label31, &f.Kicks, {&f.Command10, &f.Command15}, 4},
                                {&f.Label32, &f.Bans, {&f.Command7, &f.Command8, &f.Command9}, 5}};
    int row = 1;
    for (const auto& section : sections) {
        grid->addWidget(Line(), row++, 0, 1, 2);
        grid->addWidget(BindLabel(*section.caption), row++, 0, 1, 2);
        auto* table = BindTable(*section.table);
        table->setMinimumHeight(table->fontMetrics().height() * 5);
        grid->addWidget(table, row, 0);
        auto* buttons = new QVBoxLayout;
        for (auto* b : section.buttons) buttons->addWidget(KeepPlace(BindButton(*b)));
        buttons->addStretch(1);
        grid->addLayout(buttons, row, 1);
        grid->setRowStretch(row++, section.stretch);
    }
    auto* notice = new QHBoxLayout;
    notice->addWidget(BindLabel(f.Label15));
    notice->addWidget(BindLineEdit(f.Alert7), 1);
    grid->addLayout(notice, row, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    SetTabOrder(panel, {"AcWarns", "AcKicks", "Warnings", "Command11", "Command14", "Kicks", "Command10", "Command15",
                        "Bans", "Command7", "Command8", "Command9", "Alert7"});
    return panel;
}

void MainWindow::SetTabOrder(QWidget* panel, const std::vector<std::string>& names) {
    QWidget* previous = nullptr;
    for (const auto& name : names) {
        auto* w = panel->findChild<QWidget*>(ToQt(name));
        if (!w) continue;
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

namespace {

// The settings file and the server hold one byte a character: a character beyond Latin-1 is
// refused as it is typed (or pasted) rather than saved as "?".
class Latin1Only : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (c.unicode() > 0xFF) return Invalid;
        return Acceptable;
    }
};

// A box whose own edit stops monitoring is locked while the release runs. Disabled, it would
// throw the operator's focus and caret elsewhere: the box he is typing in is made read-only
// instead, and takes his keys again once monitoring has stopped.
void SetEnabled(QWidget* w, bool on) {
    if (auto* box = qobject_cast<QLineEdit*>(w); box && box->property("keepsFocus").toBool()) {
        if (!on && box->hasFocus()) {
            box->setReadOnly(true);
            return;
        }
        box->setReadOnly(false);
    }
    w->setEnabled(on);
}

}  // namespace

QWidget* MainWindow::Bind(Element& e, QWidget* w) {
    w->setObjectName(ToQt(e.name()));
    w->setEnabled(e.enabled());
    if (!e.visible()) w->setHidden(true);  // showing a widget before it has a parent would open a window
    e.addListener([&e, w](Property p) {
        if (p == Property::Enabled) SetEnabled(w, e.enabled());
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

QLabel* MainWindow::BindLink(Label& l) {
    auto* w = new LinkLabel(ToQt(l.caption()), [&l] { l.click(); });
    Bind(l, w);
    w->setAccessibleDescription(tr("link"));
    l.addListener([&l, w](Property p) {
        if (p == Property::Caption) w->setText(ToQt(l.caption()));
    });
    return w;
}

QWidget* MainWindow::BindTable(Table& table) {
    auto* view = CreateTableView(table);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    auto* columns = new ProportionalColumns(table, view);
    // After the view's own listener, which sets the widths as given.
    QPointer<ProportionalColumns> guard(columns);
    table.addListener([guard](Property p) {
        if (p == Property::Columns && guard) guard->Apply();
    });
    return view;
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
    static const std::set<std::string> stopsMonitoring = {"txtSVR", "txtPORT", "txtPWD", "txtMin", "MinPolt"};
    if (stopsMonitoring.count(t.name())) w->setProperty("keepsFocus", true);
    w->setValidator(new Latin1Only(w));
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
    w->setTabChangesFocus(true);
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

QLabel* MainWindow::BindPicture(Picture& p, QPixmap pixmap) {
    auto* w = new QLabel;
    w->setPixmap(pixmap);
    Bind(p, w);
    return w;
}

QWidget* MainWindow::BindProgress(ProgressBar& b) {
    auto* w = new QProgressBar;
    w->setTextVisible(false);
    w->setMaximumHeight(fontMetrics().height() * 2 / 3);
    auto mirror = [&b, w] {
        w->setRange(b.min(), std::max(b.min(), b.max()));
        w->setValue(std::clamp(b.value(), b.min(), std::max(b.min(), b.max())));
    };
    mirror();
    Bind(b, w);
    b.addListener([mirror](Property p) {
        if (p == Property::Progress) mirror();
    });
    return w;
}

QRadioButton* MainWindow::BindOption(OptionButton& o) {
    auto* w = new QRadioButton(ToQt(o.caption()));
    w->setAutoExclusive(false);  // the model keeps the groups
    w->setChecked(o.value());
    Bind(o, w);
    o.addListener([&o, w](Property p) {
        if (p == Property::Value) w->setChecked(o.value());
    });
    connect(w, &QRadioButton::clicked, this, [&o, w] {
        o.setValue(true);
        w->setChecked(o.value());  // clicking a selected option leaves it selected
    });
    return w;
}

QWidget* MainWindow::CaptionAroundBoxes(Element& caption, std::vector<TextBox*> boxes, QWidget* lead) {
    auto* row = new QWidget;
    // Tests and accessibility tools find the whole caption's parts through this.
    row->setProperty("captionOf", ToQt(caption.name()));
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const auto parts = ToQt(caption.caption()).split(QRegularExpression(" {3,}"));
    if (lead) {
        if (auto* button = qobject_cast<QAbstractButton*>(lead)) button->setText(parts.value(0).trimmed());
        h->addWidget(lead);
        // The rest of the caption comes and goes with its option.
        if (!caption.visible()) row->setHidden(true);
        caption.addListener([&caption, row](Property p) {
            if (p == Property::Visible) row->setVisible(caption.visible());
        });
    } else {
        auto* first = new QLabel(parts.value(0).trimmed());
        Bind(caption, first);
        h->addWidget(first);
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        auto* edit = BindLineEdit(*boxes[i]);
        // Room for a few digits however tight the row, and not much more however wide.
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance("0000") + 12);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("000000") + 12);
        h->addWidget(edit);
        const QString rest = parts.value(static_cast<qsizetype>(i + 1)).trimmed();
        if (!rest.isEmpty()) h->addWidget(new QLabel(rest));
    }
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
