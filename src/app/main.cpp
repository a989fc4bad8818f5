#include <QApplication>
#include <QIcon>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ico/resources/ico/code_radio.ico")));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tarvex Code Generator v1.05"));
    window.show();
    return app.exec();
}
