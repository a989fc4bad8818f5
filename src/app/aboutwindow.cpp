#include "aboutwindow.h"
#include "ui_aboutwindow.h"

#include "weblinks.h"

#include <QMessageBox>

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::AboutWindow)
{
    ui->setupUi(this);
    // The two links point at the publisher's host, a build-time setting; the
    // form texts carry "%1" where it goes.
    const QString host = weblinks::webHost();
    ui->label_3->setText(ui->label_3->text().arg(host));
    ui->label_5->setText(ui->label_5->text().arg(host));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

AboutWindow::~AboutWindow()
{
    delete ui;
}

void AboutWindow::on_btnAboutQt_clicked()
{
    QMessageBox::aboutQt(nullptr, QStringLiteral("About Qt"));
}
