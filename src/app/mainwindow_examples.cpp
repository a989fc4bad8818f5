// The Download Example and Download User Manual commands: thin calls of the
// generator core, which takes the material out of the resource bundle.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "exampledownload.h"

void MainWindow::on_btnDownloadExample_clicked()
{
    // Without a current module there is nothing to download.
    downloadExample(*this, moduleAt(ui->lstwgtModules->currentRow()), this);
}

void MainWindow::on_btnDownloadUserManual_clicked()
{
    downloadUserManual(this);
}
