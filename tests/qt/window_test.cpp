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


TEST_F(WindowTest, StartClaimsTheDemoServerAndShowsItsStatus) {
    ASSERT_NE(server.port(), 0);
    auto* start = Widget<QPushButton>("Command1");
    auto* banner = Widget<QLabel>("Picture1");
    EXPECT_TRUE(banner->isVisible());
    QTest::mouseClick(start, Qt::LeftButton);
    auto* status = Widget<QLabel>("Label21");
    ASSERT_TRUE(WaitFor([&] { return status->text().startsWith("Server: Running"); }, 15000)) << status->text().toStdString();
    EXPECT_EQ(status->text(), "Server: Running - Now playing: dm/mohdm6 on free for all");
    EXPECT_EQ(Widget<QLabel>("Label35")->text(), "Server OS: Linux");
    EXPECT_EQ(Widget<QLabel>("Label25")->text(), "ModVorstel - Running");
    EXPECT_TRUE(Widget<QLabel>("Image5")->isVisible());
    EXPECT_FALSE(Widget<QLabel>("Image2")->isVisible());
    EXPECT_FALSE(banner->isVisible());
    // The first scan (a dump of every player, 700 ms each) and patrol follow at once; then the
    // engine idles with Start enabled.
    ASSERT_TRUE(WaitFor([&] { return start->text() == "Start" && start->isEnabled(); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return server.Output().contains("status"); }, 2000));
    EXPECT_TRUE(w.Timer3->isActive());

    QTest::mouseClick(Widget<QPushButton>("Command13"), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return server.Output().contains("set resetvalue 0"); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return banner->isVisible(); }, 1000));
    EXPECT_EQ(status->text(), "Server not running!!");
}

}  // namespace
}  // namespace vorstel
