// The main window on small screens: it opens at 1231 x 631, can shrink to
// fit 1093 x 566 logical pixels (a 1366 x 768 laptop at 125 % with a task
// bar), and at its smallest every control of every tab is on screen and not
// squeezed, or inside a scroll area that is.

#include "mainwindow.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

namespace {

const QSize kSmallScreen(1093, 566);

// Controls the user must be able to reach.
bool isControl(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QListWidget*>(w) ||
           qobject_cast<const QTabBar*>(w) || qobject_cast<const QTextEdit*>(w);
}

// Problems of the controls shown in the window as it is laid out now.
QStringList unreachableControls(QMainWindow& window)
{
    QStringList problems;
    const QRect windowRect(QPoint(0, 0), window.size());
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!isControl(w) || !w->isVisibleTo(&window) || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        // Parts of other controls (a tab bar's scroll arrows).
        if (w->parentWidget() && isControl(w->parentWidget()))
            continue;
        const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                       : w->objectName();
        // Inside a scroll area the area itself must be on screen and big
        // enough to scroll through; the control may lie outside its view.
        QWidget* onScreen = w;
        for (QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget())
            if (auto* area = qobject_cast<QScrollArea*>(p))
                onScreen = area;
        if (onScreen != w && (onScreen->height() < 40 || onScreen->width() < 100))
            problems << name + QStringLiteral(": its scroll area is too small");
        const QRect r(onScreen->mapTo(&window, QPoint(0, 0)), onScreen->size());
        if (!windowRect.contains(r))
            problems << name + QStringLiteral(" is cut off by the window");
        // Buttons, boxes and fields are never squeezed below what they need.
        if (onScreen == w && !qobject_cast<QListWidget*>(w) && !qobject_cast<QTextEdit*>(w) &&
            !qobject_cast<QTabBar*>(w) &&
            (w->width() < w->minimumSizeHint().width() || w->height() < w->minimumSizeHint().height()))
            problems << name + QStringLiteral(" is squeezed");
    }
    return problems;
}

QtMessageHandler gStrictHandler = nullptr;

// The offscreen platform says, each time a shown window's minimum size
// changes, that it cannot pass it on; everything else goes to the strict
// handler.
void ignorePlatformSizeHints(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    gStrictHandler(type, context, message);
}

} // namespace

class TstWindowSize : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        testsupport::installStrictMessageHandler();
        gStrictHandler = qInstallMessageHandler(ignorePlatformSizeHints);
    }

    void smallestWindowFitsAndShowsEveryControl_data()
    {
        QTest::addColumn<bool>("cpp");
        QTest::newRow("C") << false;
        QTest::newRow("C++ (Arduino option shown)") << true;
    }
    void smallestWindowFitsAndShowsEveryControl()
    {
        QFETCH(bool, cpp);
        MainWindow window;
        QCOMPARE(window.size(), QSize(1231, 631)); // as it opens
        window.show();
        if (cpp)
            window.findChild<QRadioButton*>(QStringLiteral("optProjectIsCpp"))->click();
        auto* list = window.findChild<QListWidget*>(QStringLiteral("lstwgtModules"));
        auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabwgtMdl"));

        // Every module row with every tab it shows: the largest minimum.
        QSize largest;
        for (int row = 0; row <= 13; ++row) {
            list->setCurrentRow(row);
            for (int tab = 0; tab < tabs->count(); ++tab) {
                if (!tabs->isTabVisible(tab))
                    continue;
                tabs->setCurrentIndex(tab);
                QCoreApplication::processEvents();
                const QSize smallest = window.minimumSizeHint().expandedTo(window.minimumSize());
                largest = largest.expandedTo(smallest);
                window.resize(smallest);
                QCoreApplication::processEvents();
                QCOMPARE(window.size(), smallest);
                const QStringList problems = unreachableControls(window);
                if (!problems.isEmpty())
                    QFAIL(qPrintable(QStringLiteral("row %1, tab %2 at %3x%4: ")
                                         .arg(row)
                                         .arg(tabs->tabText(tab))
                                         .arg(smallest.width())
                                         .arg(smallest.height()) +
                                     problems.join(QLatin1String("; "))));
            }
        }
        qInfo("largest minimum size: %dx%d", largest.width(), largest.height());
        QVERIFY2(largest.width() <= kSmallScreen.width() && largest.height() <= kSmallScreen.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(largest.width()).arg(largest.height())));
        // Still a usable window: the list keeps several rows in view.
        QVERIFY(list->height() >= 6 * list->sizeHintForRow(0));
    }
};

QTEST_MAIN(TstWindowSize)

#include "tst_windowsize.moc"
