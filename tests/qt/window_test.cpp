// The window bound to the model: typing into the mini console against a real server process.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "main_window.h"
#include "processes.h"
#include "qt_desktop.h"
#include "qt_reactor.h"
#include "support.h"

namespace vorstel {
namespace {

using test::WaitFor;

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : w({reactor, desktop, dialogs, calendar}, dir.path()), window(w) {
        w.form.txtPORT.setText(std::to_string(server.port()));
        w.Startup();
        window.show();
    }
    template <typename T>
    T* Widget(const char* name) {
        auto* widget = window.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    test::SimServerProcess server;
    QtReactor reactor;
    test::RecordingDesktop desktop;
    test::ScriptedDialogs dialogs;
    SystemCalendar calendar;
    test::TempDir dir;
    Watchdog w;
    MainWindow window;
};

TEST_F(WindowTest, TypingStatusAndEnterShowsTheListing) {
    ASSERT_NE(server.port(), 0);
    auto* input = Widget<QLineEdit>("Text1");
    auto* pane = Widget<QPlainTextEdit>("txtOutput");
    auto* start = Widget<QPushButton>("Command1");
    QTest::keyClicks(input, "status");
    EXPECT_EQ(w.form.Text1.text(), "status");
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(input->text(), "");
    EXPECT_FALSE(input->isEnabled());
    EXPECT_FALSE(start->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return pane->toPlainText().contains("map: dm/mohdm6"); }, 3000));
    EXPECT_TRUE(WaitFor([&] { return input->isEnabled() && start->isEnabled(); }, 1000));
    const QString shown = pane->toPlainText();
    EXPECT_TRUE(shown.startsWith("map: dm/mohdm6\nnum score ping name")) << shown.toStdString();
    EXPECT_FALSE(shown.contains('\r'));
    EXPECT_EQ(pane->textCursor().position(), shown.size()) << "the newest output is in view";

    QTest::mouseClick(Widget<QPushButton>("Command4"), Qt::LeftButton);
    EXPECT_EQ(pane->toPlainText(), "");
}

TEST_F(WindowTest, EditsAndClicksReachTheModelAndBack) {
    auto* server = Widget<QLineEdit>("txtSVR");
    server->selectAll();
    QTest::keyClicks(server, "10.1.2.3");
    EXPECT_EQ(w.form.txtSVR.text(), "10.1.2.3");
    w.form.txtPWD.setText("secret");
    EXPECT_EQ(Widget<QLineEdit>("txtPWD")->text(), "secret");
    w.form.Label21.setCaption("Server: Running");
    EXPECT_EQ(Widget<QLabel>("Label21")->text(), "Server: Running");

    auto* logea = Widget<QCheckBox>("Logea");
    auto* silent = Widget<QCheckBox>("Silent");
    silent->click();
    EXPECT_EQ(w.form.Silent.value(), 1);
    logea->click();
    EXPECT_EQ(w.form.Logea.value(), 0);
    EXPECT_FALSE(silent->isChecked());
    EXPECT_FALSE(silent->isEnabled());

    w.form.txtOutput.setText("first\r\nsecond");
    auto* pane = Widget<QPlainTextEdit>("txtOutput");
    QTextCursor c = pane->textCursor();
    c.setPosition(6);
    c.setPosition(12, QTextCursor::KeepAnchor);
    pane->setTextCursor(c);
    QTest::mouseClick(Widget<QPushButton>("Command3"), Qt::LeftButton);
    EXPECT_EQ(desktop.clipboard, "second");
}

TEST_F(WindowTest, ExitDisconnectsAndFinishes) {
    bool finished = false;
    QObject::connect(&window, &MainWindow::shutdownFinished, [&] { finished = true; });
    auto* exit = Widget<QPushButton>("Command2");
    QTest::mouseClick(exit, Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return finished; }, 2000));
    EXPECT_EQ(exit->text(), "Disconnecting...");
    EXPECT_TRUE(std::filesystem::exists(dir / "rconvorstel.ini"));
    EXPECT_TRUE(std::filesystem::exists(dir / "bans.lst"));
    EXPECT_EQ(window.windowTitle(), "Rcon Vorstel 2.1");
}

}  // namespace
}  // namespace vorstel
