#include "mainwindow.h"
#include "messageboxinteraction.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ico/resources/ico/code_radio.ico")));

    MessageBoxInteraction interaction;
    setUserInteraction(&interaction);

    int result = 0;
    {
        MainWindow window;
        window.show();
        result = app.exec();
    }

    setUserInteraction(nullptr);
    return result;
}
