#include "aboutwindow.h"
#include "ui_aboutwindow.h"

#include "usagestats.h"
#include "userinteraction.h"
#include "weblinks.h"

#include <QMessageBox>

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::AboutWindow)
{
    ui->setupUi(this);
    // The two links point at the publisher's host, a build-time setting; the
    // form texts carry "%1" where it goes. A build without a host shows the
    // same words without links.
    const QString host = weblinks::webHost();
    if (host.isEmpty()) {
        ui->label_3->setTextFormat(Qt::PlainText);
        ui->label_3->setText(tr("No publisher web site"));
        ui->label_5->setTextFormat(Qt::PlainText);
        ui->label_5->setText(tr("the Tarvex team"));
    } else {
        ui->label_3->setText(ui->label_3->text().arg(host));
        ui->label_5->setText(ui->label_5->text().arg(host));
    }

    // The usage-statistics switch shows what is really sent: it is only
    // changeable when the build has a host and DO_NOT_TRACK does not already
    // say no. Its state is stored as soon as it is clicked.
    const UsageStatsState state = usageStatsState();
    QCheckBox* box = ui->chkSendUsageStats;
    box->setChecked(state == UsageStatsState::Enabled);
    box->setEnabled(state == UsageStatsState::Enabled || state == UsageStatsState::SwitchedOff);
    if (state == UsageStatsState::NoPublisherHost)
        box->setToolTip(tr("This build has no publisher web site and sends nothing."));
    else if (state == UsageStatsState::DoNotTrack)
        box->setToolTip(tr("DO_NOT_TRACK=1 is set: nothing is sent."));
    else
        box->setToolTip(tr("Sends only the events ApplicationStart, GenerateStart and GenerateSuccess to %1.")
                            .arg(host));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

void AboutWindow::on_chkSendUsageStats_clicked(bool checked)
{
    if (!setUsageStatsSwitch(checked))
        userInteraction().critical(QStringLiteral("About"),
                                   QStringLiteral("Unable to store the usage statistics setting."));
}

AboutWindow::~AboutWindow()
{
    delete ui;
}

void AboutWindow::on_btnAboutQt_clicked()
{
    QMessageBox::aboutQt(nullptr, QStringLiteral("About Qt"));
}
