// The window between cycles: the once-a-second tick repaints the age caption and the two
// progress bars, and nothing else.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QProgressBar>
#include <QTest>

#include "main_window.h"
#include "qt_desktop.h"
#include "qt_reactor.h"
#include "support.h"

namespace vorstel {
namespace {

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

TEST(IdlePaintTest, ATickRepaintsOnlyTheAgeCaptionAndTheProgressBars) {
    QtReactor reactor;
    test::RecordingDesktop desktop;
    test::ScriptedDialogs dialogs;
    SystemCalendar calendar;
    test::TempDir dir;
    Watchdog w({reactor, desktop, dialogs, calendar}, dir.path());
    w.Startup();
    MainWindow window(w);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto& f = w.form;
    f.scanpro.setRange(0, 180);
    f.kickpro.setRange(0, 45);
    f.Label18.setCaption("Last Data Retrieval: 9 seconds ago");
    QTest::qWait(100);

    QRect allowed;
    for (const char* name : {"Label18", "scanpro", "kickpro"}) {
        auto* widget = window.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr) << name;
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
