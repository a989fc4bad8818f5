// Saves a picture of the real main window, with one module selected and its
// settings tab open, so the layout can be checked by eye.
//
//   tarvex-screenshot OUTPUT.png [ROW | about] [smallest]
//
// ROW is the module list row to select (default 2, Prompt); "about" saves the
// About window instead. "smallest" shrinks the main window to its minimum
// size first (and prints it), to check that every control is still
// reachable on a small screen.

#include "aboutwindow.h"
#include "mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>
#include <QTextStream>

namespace {

// Lets the window be mapped, laid out and painted.
void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget& widget, const QString& path)
{
    widget.show();
    widget.raise();
    settle(500);
    const QPixmap picture = widget.grab();
    if (!picture.save(path, "PNG")) {
        QTextStream(stderr) << "tarvex-screenshot: cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << ": " << picture.width() << "x" << picture.height() << '\n';
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ico/resources/ico/code_radio.ico")));

    QStringList args = QApplication::arguments();
    const bool smallest = args.removeAll(QStringLiteral("smallest")) > 0;
    if (args.size() < 2 || args.size() > 3) {
        QTextStream(stderr) << "usage: tarvex-screenshot OUTPUT.png [ROW | about] [smallest]\n";
        return 2;
    }
    const QString output = args.at(1);
    const QString what = args.value(2, QStringLiteral("2"));

    MainWindow window;
    if (what == QLatin1String("about")) {
        window.show();
        AboutWindow about(&window);
        return save(about, output) ? 0 : 1;
    }

    bool ok = false;
    const int row = what.toInt(&ok);
    auto* list = window.findChild<QListWidget*>(QStringLiteral("lstwgtModules"));
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabwgtMdl"));
    if (!ok || !list || !tabs || !window.moduleAt(row)) {
        QTextStream(stderr) << "tarvex-screenshot: no module in row " << what << '\n';
        return 2;
    }
    list->setCurrentRow(row);
    // Open the module's settings tab (the last visible one), else its
    // example tab, else the information tab.
    for (int i = tabs->count() - 1; i >= 0; --i) {
        if (tabs->isTabVisible(i)) {
            tabs->setCurrentIndex(i);
            break;
        }
    }
    if (smallest) {
        window.show();
        settle(300);
        window.resize(window.minimumSizeHint().expandedTo(window.minimumSize()));
        settle(300);
        QTextStream(stdout) << "window at its smallest: " << window.width() << "x" << window.height()
                            << " logical pixels (frame " << window.frameGeometry().width() << "x"
                            << window.frameGeometry().height() << ")\n";
    }
    return save(window, output) ? 0 : 1;
}
