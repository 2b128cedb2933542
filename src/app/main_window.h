#pragma once
// The window: Qt widgets bound both ways to the elements of Form1. It adds no behaviour of
// its own; every reaction lives in the core.
#include <QMainWindow>

#include "watchdog.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QCheckBox;
class QRadioButton;
class QTabWidget;

namespace vorstel {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Watchdog& watchdog, QWidget* parent = nullptr);
    ~MainWindow() override;

signals:
    // Shutdown has finished: the program may end.
    void shutdownFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildMainSetup();
    QWidget* BuildCheatManagement();
    QWidget* BuildServerManagement();
    QWidget* BuildPenaltiesManagement();
    QWidget* PenaltyRowWidget(PenaltyChoice choice);
    QWidget* Bind(Element& e, QWidget* w);
    QLabel* BindLabel(Label& l);
    // A label that opens or empties a file: drawn as a link, reached with Tab, Space or Enter.
    QLabel* BindLink(Label& l);
    QPushButton* BindButton(Button& b);
    QCheckBox* BindCheckBox(CheckBox& c);
    QLineEdit* BindLineEdit(TextBox& t);
    QPlainTextEdit* BindPane(TextBox& t);
    QRadioButton* BindOption(OptionButton& o);
    QLabel* BindPicture(Picture& p, QPixmap pixmap);
    QWidget* BindProgress(ProgressBar& b);
    QWidget* StatusArea();
    // A caption with boxes in its gaps: "Scan players every [3] minutes". The lead widget, if
    // given, carries the caption's first part (an option button, say); otherwise a label does.
    QWidget* CaptionAroundBoxes(Element& caption, std::vector<TextBox*> boxes, QWidget* lead = nullptr);
    // A table view whose columns share its width in the proportions the table gives them.
    QWidget* BindTable(Table& table);
    // Tab goes through the named widgets of a panel in this order.
    void SetTabOrder(QWidget* panel, const std::vector<std::string>& names);

    Watchdog& watchdog_;
    QTabWidget* tabs_ = nullptr;
    bool shutdownDone_ = false;
};

// Latin-1 at the boundary: the core keeps the server's bytes as they are.
QString ToQt(const std::string& s);
std::string FromQt(const QString& s);

}  // namespace vorstel
