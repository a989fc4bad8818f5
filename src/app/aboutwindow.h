#pragma once

#include <QDialog>

namespace Ui {
class AboutWindow;
}

// The About dialog: program name, maker, the maker's web site, the credit for
// the icon set, a button for Qt's own About box and the switch for the
// anonymous usage statistics. Run modally by the main window's About button.
class AboutWindow : public QDialog
{
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);
    ~AboutWindow() override;

    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

public slots:
    void on_btnAboutQt_clicked();
    // Stores the usage-statistics switch (QSettings) at once.
    void on_chkSendUsageStats_clicked(bool checked);

private:
    Ui::AboutWindow* ui;
};
