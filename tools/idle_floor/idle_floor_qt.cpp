// SPDX-License-Identifier: GPL-3.0-or-later
// idle_floor_qt: the least a Qt program like Tavrel can cost on an X desktop: a window of
// about the same size with a few controls, a notification-area icon and a 50 ms precise timer
// whose handler only sets a label to the tick count while the window is shown (as Tavrel's
// tick read-out changes on every tick). The Linux benchmark (scripts/bench_linux.sh) measures
// it beside Tavrel. Esc and the close box hide the window; the lines "show", "hide" and
// "quit" on standard input do what they say.
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

class FloorWindow final : public QDialog {
  public:
    FloorWindow() {
        setWindowTitle(QStringLiteral("Idle floor"));
        auto* grid = new QGridLayout(this);
        for (int row = 0; row < 8; ++row) {
            grid->addWidget(new QLabel(QStringLiteral("Setting %1").arg(row), this), row, 0);
            grid->addWidget(new QLineEdit(QStringLiteral("100"), this), row, 1);
        }
        grid->addWidget(new QPushButton(QStringLiteral("&Quit"), this), 0, 2);
        ticks_ = new QLabel(QStringLiteral("---"), this);
        grid->addWidget(ticks_, 8, 0);
        resize(420, 560);
    }
    void reject() override { hide(); }
    void Tick() {
        ++count_;
        if (isVisible()) ticks_->setText(QString::number(count_));
    }

  private:
    QLabel* ticks_;
    int count_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    FloorWindow window;

    QSystemTrayIcon tray(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
    tray.setToolTip(QStringLiteral("Idle floor"));
    tray.show();

    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, &window, &FloorWindow::Tick);
    timer.start();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer - 1);
        if (n <= 0) {
            input.setEnabled(false);  // end of input: keep running
            return;
        }
        const QByteArray line(buffer, static_cast<int>(n));
        if (line.contains("show")) window.show();
        if (line.contains("hide")) window.hide();
        if (line.contains("quit")) QCoreApplication::exit(0);
    });

    window.show();
    return QApplication::exec();
}
