// The window as the operator meets it: every element's widget found by its name and showing
// the model's state, the tab strip's rules, the links, "Delete log", the interval boxes and the
// mini console over real UDP, driven with the mouse and keyboard; and what it repaints while idle.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QKeyEvent>
#include <QContextMenuEvent>
#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <set>

#include "main_window.h"
#include "processes.h"
#include "qt_desktop.h"
#include "qt_reactor.h"
#include "support.h"

namespace vorstel {
namespace {

class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(bool realDialogs = false)
        : w({reactor, recording, realDialogs ? static_cast<Dialogs&>(qtDialogs) : scripted, calendar}, dir.path()),
          window(w) {
        qtDialogs.setParent(&window);
        w.Startup();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <typename T = QWidget>
    T* Widget(const std::string& name) {
        auto* widget = window.findChild<T*>(ToQt(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTabWidget* Tabs() { return Widget<QTabWidget>("TabStrip1"); }
    void ClickTab(int index) {
        QTabBar* bar = Tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    void ClickRow(const char* table, int row) {
        auto* view = Widget<QTableView>(table);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 1)).center());
    }
    // Shown as the operator would see it were its panel the one on top.
    bool Shown(QWidget* widget) {
        for (QWidget* p = widget; p; p = p->parentWidget())
            if (p->objectName().startsWith("Solapa(")) return widget->isVisibleTo(p);
        return widget->isVisibleTo(widget->window());
    }

    QtReactor reactor;
    test::RecordingDesktop recording;
    test::ScriptedDialogs scripted;
    // The real message boxes, for the tests that ask for them.
    QtDialogs qtDialogs;
    SystemCalendar calendar;
    test::TempDir dir;
    Watchdog w;
    MainWindow window;
};

// A caption with boxes in its gaps shows its parts around them, any other its whole text.
void ExpectCaptionShown(QWidget* widget, const Element& e) {
    QWidget* row = widget->parentWidget();
    const bool aroundBoxes = row && row->property("captionOf").toString() == ToQt(e.name());
    QStringList shown;
    for (QObject* child : aroundBoxes ? row->children() : QObjectList{widget}) {
        if (auto* label = qobject_cast<QLabel*>(child)) shown << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(child)) shown << button->text();
    }
    QStringList expected{ToQt(e.caption())};
    if (aroundBoxes) {
        expected = ToQt(e.caption()).split(QRegularExpression(" {3,}"));
        for (auto& part : expected) part = part.trimmed();
        expected.removeAll(QString());
    }
    EXPECT_EQ(shown, expected);
}

TEST_F(WindowTest, WithoutASettingsFileEveryWidgetShowsItsElementsInitialStateUnclipped) {
    ASSERT_FALSE(std::filesystem::exists(dir / "rconvorstel.ini"));
    // Kept by the model for the link and never shown.
    const std::set<std::string> modelOnly = {"rconwait", "Text4"};
    for (Element* e : w.form.elements()) {
        SCOPED_TRACE(e->name());
        QWidget* widget = window.findChild<QWidget*>(ToQt(e->name()));
        if (modelOnly.count(e->name())) {
            EXPECT_TRUE(widget == nullptr || !Shown(widget));
            continue;
        }
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(Shown(widget), e->visible());
        EXPECT_EQ(widget->isEnabled(), e->enabled());
        if (auto* box = dynamic_cast<TextBox*>(e)) {
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) EXPECT_EQ(edit->text(), ToQt(box->text()));
            else EXPECT_EQ(qobject_cast<QPlainTextEdit*>(widget)->toPlainText(), ToQt(box->text()));
        } else if (auto* check = dynamic_cast<CheckBox*>(e)) {
            EXPECT_EQ(qobject_cast<QCheckBox*>(widget)->isChecked(), check->value() == 1);
            ExpectCaptionShown(widget, *e);
        } else if (auto* option = dynamic_cast<OptionButton*>(e)) {
            EXPECT_EQ(qobject_cast<QRadioButton*>(widget)->isChecked(), option->value());
            ExpectCaptionShown(widget, *e);
        } else if (auto* table = dynamic_cast<Table*>(e)) {
            auto* view = qobject_cast<QTableView*>(widget);
            ASSERT_EQ(view->model()->columnCount(), static_cast<int>(table->columnCount()));
            for (std::size_t c = 0; c < table->columnCount(); ++c)
                EXPECT_EQ(view->model()->headerData(static_cast<int>(c), Qt::Horizontal).toString(),
                          ToQt(table->columns()[c].caption));
            EXPECT_EQ(view->model()->rowCount(), 0);
        } else if (auto* bar = dynamic_cast<ProgressBar*>(e)) {
            EXPECT_EQ(qobject_cast<QProgressBar*>(widget)->value(), bar->value());
        } else if (dynamic_cast<Picture*>(e)) {
            EXPECT_FALSE(qobject_cast<QLabel*>(widget)->pixmap().isNull());
        } else {
            ExpectCaptionShown(widget, *e);
        }
    }

    EXPECT_EQ(window.windowTitle(), "Rcon Vorstel 2.1");
    EXPECT_FALSE(window.windowIcon().isNull());
    ASSERT_EQ(Tabs()->count(), 4);
    EXPECT_EQ(Tabs()->tabText(3), "Penalties Management");

    // No caption is clipped on any panel.
    for (int tab = 0; tab < 4; ++tab) {
        ClickTab(tab);
        QTest::qWait(0);
        for (auto* label : Tabs()->widget(tab)->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty() || label->wordWrap()) continue;
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
        }
        for (auto* button : Tabs()->widget(tab)->findChildren<QAbstractButton*>()) {
            if (!button->isVisible()) continue;
            // A push button's caption needs its text and a little frame; a check box or
            // option button its box as well, which its size hint gives exactly.
            const int needed = qobject_cast<QPushButton*>(button)
                                   ? button->fontMetrics().horizontalAdvance(button->text()) + 8
                                   : button->sizeHint().width();
            EXPECT_GE(button->width(), needed) << button->objectName().toStdString();
        }
    }
}

// Tab walks each panel in reading order. The view shows every row's cells as Latin-1 text. A
// tab change hides the selected row's actions, but the row stays selected in the view and a
// click on it shows them again.
TEST_F(WindowTest, TabWalksEachPanelAndATabChangeHidesTheRowActionsButKeepsTheSelectedRow) {
    auto walk = [&](const char* from, int steps) {
        Widget(from)->setFocus();
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        return seen;
    };
    EXPECT_EQ(walk("txtSVR", 15), (QStringList{"txtSVR", "txtPORT", "txtPWD", "Command1", "Command13", "txtMin",
                                               "MinPolt", "SoS", "Silent", "Logea", "Label12", "Label13",
                                               "txtOutput", "Text1", "Command3", "Command4"}));
    ClickTab(1);
    EXPECT_EQ(walk("Cheats(5)", 5),
              (QStringList{"Cheats(5)", "Label11", "Option5(5)", "Option3(6)", "Option4(6)", "Text3(10)"}));

    ClickTab(0);
    w.form.Players.addRows({{"0", "48", "Alice", "10.0.0.5", "25000", "", ""},
                            {"1", "60", "Zo\xEB", "10.0.0.6", "25000", "", ""}});
    const QAbstractItemModel* shown = Widget<QTableView>("Players")->model();
    EXPECT_EQ(shown->index(1, 2).data().toString(), QString::fromLatin1("Zo\xEB"));
    ClickRow("Players", 1);
    EXPECT_TRUE(Widget("Command6")->isVisible());
    ClickTab(2);
    ClickTab(0);
    EXPECT_FALSE(Widget("Command6")->isVisible());
    const auto selected = Widget<QTableView>("Players")->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 1);
    ClickRow("Players", 1);
    EXPECT_TRUE(Widget("Command6")->isVisible());
}

// Links look like links, and the mouse and the keyboard open their files. "Delete log" asks in
// a real, critical box that defaults to No.
class WindowWithQtDialogsTest : public WindowTest {
protected:
    WindowWithQtDialogsTest() : WindowTest(true) {}
};

TEST_F(WindowWithQtDialogsTest, LinksOpenTheirFilesAndDeleteLogAsksInACriticalBoxThatDefaultsToNo) {
    auto* log = Widget<QLabel>("Label12");
    auto* reserved = Widget<QLabel>("Label17");
    EXPECT_TRUE(log->font().underline());
    EXPECT_EQ(log->palette().color(QPalette::Active, QPalette::WindowText), log->palette().color(QPalette::Link));
    EXPECT_EQ(log->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_NE(reserved->cursor().shape(), Qt::PointingHandCursor);
    ClickTab(1);
    QTest::mouseClick(Widget("Label11"), Qt::LeftButton);
    ClickTab(0);
    log->setFocus();
    QTest::keyClick(log, Qt::Key_Space);
    EXPECT_EQ(recording.calls, (std::vector<std::string>{"edit:" + (dir / "skins.txt").string(),
                                                         "edit:" + (dir / "vorstel.log").string()}));

    const auto openBox = [&] {
        // A closed box lingers until deleted: only the one showing counts.
        QPointer<QMessageBox> box;
        (void)QTest::qWaitFor([&] {
            for (auto* candidate : window.findChildren<QMessageBox*>("MessageBox"))
                if (candidate->isVisible()) box = candidate;
            return box != nullptr;
        }, 2000);
        return box;
    };
    std::ofstream(dir / "vorstel.log", std::ios::binary) << "line\r\n";
    QTest::mouseClick(Widget("Label13"), Qt::LeftButton);
    QPointer<QMessageBox> box = openBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    QTest::keyClick(box, Qt::Key_Return);  // the default: No
    EXPECT_TRUE(QTest::qWaitFor([&] { return !box || !box->isVisible(); }, 2000));
    EXPECT_EQ(test::ReadFile(dir / "vorstel.log"), "line\r\n");

    QTest::mouseClick(Widget("Label13"), Qt::LeftButton);
    box = openBox();
    ASSERT_TRUE(box);
    box->button(QMessageBox::Yes)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::file_size(dir / "vorstel.log") == 0; }, 2000));
}

// The key that stops monitoring is the operator's first digit of a new interval: it stays in
// the box, and so do the focus and the caret.
TEST_F(WindowTest, AKeyInAnIntervalBoxWhileTheEngineRunsStopsMonitoringAndStaysInTheBox) {
    w.form.txtPORT.setText("1");  // nobody answers there; the release requests simply time out
    // The engine is running but its next tick is far away.
    w.Timer3->setInterval(3600 * 1000);
    w.Timer3->start();
    auto* scan = Widget<QLineEdit>("txtMin");
    // Passing through the boxes with Tab is no edit.
    scan->setFocus();
    QTest::keyClick(scan, Qt::Key_Tab);
    QTest::keyClick(Widget("MinPolt"), Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), scan);
    EXPECT_TRUE(w.Timer3->isActive());
    scan->end(false);
    QTest::keyClick(scan, Qt::Key_5);
    QApplication::processEvents();
    EXPECT_TRUE(scan->isReadOnly()) << "locked, but keeping the operator's focus";
    EXPECT_FALSE(w.Timer3->isActive());
    EXPECT_EQ(scan->text(), "35");
    EXPECT_EQ(QApplication::focusWidget(), scan);
    EXPECT_EQ(scan->cursorPosition(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Widget("Command1")->isEnabled(); }, 5000));
    QTest::keyClick(scan, Qt::Key_0);
    EXPECT_EQ(w.form.txtMin.text(), "350");
    EXPECT_EQ(QApplication::focusWidget(), scan);
}

// A box reacts to losing the focus only when the focus moves on inside the window: not when
// the window is deactivated, a context menu opens or a message box takes the focus.
TEST_F(WindowTest, OnlyFocusMovingOnInsideTheWindowIsALossOfFocus) {
    auto* patrol = Widget<QLineEdit>("MinPolt");
    w.form.MinPolt.setText("1");
    const auto focusAndWait = [&](QWidget* box) {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        box->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }, 1000));
    };

    focusAndWait(patrol);
    QWidget other;  // another program's window
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    focusAndWait(patrol);
    QTimer::singleShot(50, [] {
        if (auto* menu = QApplication::activePopupWidget()) menu->close();
    });
    QContextMenuEvent menu(QContextMenuEvent::Mouse, patrol->rect().center(), patrol->mapToGlobal(patrol->rect().center()));
    QApplication::sendEvent(patrol, &menu);

    focusAndWait(patrol);
    QMessageBox message(QMessageBox::Information, "Vorstel", "Something else", QMessageBox::Ok, &window);
    message.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&message));
    message.close();
    EXPECT_EQ(patrol->text(), "1");

    focusAndWait(patrol);
    QTest::keyClick(patrol, Qt::Key_Tab);
    EXPECT_EQ(patrol->text(), "30");
}

TEST_F(WindowTest, TheConsoleShowsAListingAndOutlivesAServerThatIsGone) {
    test::SimServerProcess server;
    ASSERT_NE(server.port(), 0);
    w.form.txtPORT.setText(std::to_string(server.port()));
    auto* input = Widget<QLineEdit>("Text1");
    auto* pane = Widget<QPlainTextEdit>("txtOutput");
    QTest::keyClicks(input, "status");
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(input, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->toPlainText().contains("map: dm/mohdm6"); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return input->isEnabled(); }, 1000));
    EXPECT_GE(clock.elapsed(), RconLink::kReplyWindowMs) << "the whole reply window";
    EXPECT_LT(clock.elapsed(), RconLink::kReplyWindowMs + 300) << "and not much more";
    const QString shown = pane->toPlainText();
    EXPECT_TRUE(shown.startsWith("map: dm/mohdm6\nnum score ping name")) << shown.toStdString();
    EXPECT_FALSE(shown.contains('\r'));
    EXPECT_EQ(pane->textCursor().position(), shown.size()) << "the newest output is in view";

    QTest::mouseClick(Widget("Command4"), Qt::LeftButton);

    // Emptied by Clear, then into silence, or to a name that resolves to nothing: the whole
    // window, nothing shown, and the console usable again.
    server.Kill();  // its port is free again
    for (const char* host : {"127.0.0.1", "no-such-host.invalid"}) {
        SCOPED_TRACE(host);
        w.form.txtSVR.setText(host);
        clock.restart();
        QTest::keyClicks(input, "status");
        QTest::keyClick(input, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return input->isEnabled(); }, 5000));
        EXPECT_GE(clock.elapsed(), RconLink::kReplyWindowMs);
        EXPECT_EQ(pane->toPlainText(), "");
    }
}

// Typing, clicking and the model's own changes reach the other side; a character beyond
// Latin-1, which the files and the server cannot hold, is refused as it is typed rather than
// turned into "?" behind the operator's back; and Exit closes the window in order.
TEST_F(WindowTest, EditsAndClicksReachTheModelAndBackAndExitFinishes) {
    auto* silent = Widget<QCheckBox>("Silent");
    silent->click();
    EXPECT_EQ(w.form.Silent.value(), 1);
    Widget<QCheckBox>("Logea")->click();  // unchecks Silent
    EXPECT_FALSE(silent->isChecked());

    auto* alert = Widget<QLineEdit>("Alert7");
    alert->setFocus();
    alert->selectAll();
    QTest::keyClick(alert, Qt::Key_Delete);
    for (const QChar c : QString::fromUtf8("5 \u20AC or 5 \u00A3")) {  // as a keyboard layout types them
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(alert, &press);
    }
    EXPECT_EQ(alert->text(), QString::fromUtf8("5  or 5 \u00A3"));
    EXPECT_EQ(w.form.Alert7.text(), "5  or 5 \xA3");

    w.form.txtOutput.setText("first\r\nsecond");
    auto* pane = Widget<QPlainTextEdit>("txtOutput");
    QTextCursor c = pane->textCursor();
    c.setPosition(6);
    c.setPosition(12, QTextCursor::KeepAnchor);
    pane->setTextCursor(c);
    QTest::mouseClick(Widget("Command3"), Qt::LeftButton);
    EXPECT_EQ(recording.clipboard, "second");

    bool finished = false;
    QObject::connect(&window, &MainWindow::shutdownFinished, [&] { finished = true; });
    QTest::mouseClick(Widget("Command2"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, 2000));
    EXPECT_TRUE(std::filesystem::exists(dir / "rconvorstel.ini"));
}

// Every paint of the window's widgets, in window coordinates.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~PaintLog() override { qApp->removeEventFilter(this); }
    std::vector<std::pair<QWidget*, QRect>> paints;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(o);
        if (e->type() == QEvent::Paint && w && w->window() == window_) {
            const QRect r = static_cast<QPaintEvent*>(e)->rect();
            paints.push_back({w, QRect(w->mapTo(window_, r.topLeft()), r.size())});
        }
        return false;
    }

private:
    QWidget* window_;
};

// Between cycles the once-a-second tick repaints the age caption and the two progress bars,
// and nothing else.
TEST_F(WindowTest, AnIdleTickRepaintsOnlyTheAgeCaptionAndTheProgressBars) {
    auto& f = w.form;
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();  // no caret blinking
    f.scanpro.setRange(0, 180);
    f.kickpro.setRange(0, 45);
    f.Label18.setCaption("Last Data Retrieval: 9 seconds ago");
    QTest::qWait(100);

    QRect allowed;
    for (const char* name : {"Label18", "scanpro", "kickpro"}) {
        auto* widget = Widget(name);
        allowed |= QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    }
    PaintLog log(&window);
    for (int second = 10; second < 13; ++second) {
        f.Label18.setCaption("Last Data Retrieval: " + std::to_string(second) + " seconds ago");
        f.scanpro.setValue(f.scanpro.value() + 1);
        f.kickpro.setValue(f.kickpro.value() + 1);
        QTest::qWait(50);
    }
    EXPECT_FALSE(log.paints.empty()) << "the caption's new text is shown";
    for (const auto& [widget, rect] : log.paints)
        EXPECT_TRUE(allowed.contains(rect)) << widget->metaObject()->className() << " "
                                            << widget->objectName().toStdString() << " painted outside the three";

    log.paints.clear();
    f.Label18.setCaption("Last Data Retrieval: 12 seconds ago");
    QTest::qWait(50);
    EXPECT_TRUE(log.paints.empty()) << "the same text again paints nothing";
}

}  // namespace
}  // namespace vorstel
