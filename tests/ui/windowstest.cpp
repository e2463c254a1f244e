#include "core/scriptedprompter.h"
#include "ui/mainwindow.h"
#include "ui/qtprompter.h"
#include "ui/splashscreen.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace skywell;

class WindowsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mainWindowAsksBeforeQuitting();
    void quitRequestClosesWithoutAsking();
    void savedPosition();
    void splashClosesOnClickOrAfterThreeSeconds();
    void hintReportsTheTickedBox();
};

void WindowsTest::mainWindowAsksBeforeQuitting()
{
    ScriptedPrompter prompter;
    MainWindow window(prompter);
    QCOMPARE(window.windowTitle(), QStringLiteral("Skywell"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy quit(&window, &MainWindow::quitConfirmed);

    auto *button = window.findChild<QPushButton *>();
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton); // answered No
    QCOMPARE(quit.count(), 0);
    QVERIFY(window.isVisible());
    QCOMPARE(prompter.prompts().size(), 1);
    QCOMPARE(prompter.prompts().front().text,
             QStringLiteral("OK to Quit?\n\nWarning: No automatic recording will occur when you exit."));
    QCOMPARE(prompter.prompts().front().caption, QStringLiteral("Skywell"));

    window.close(); // title bar: the same question, No again
    QVERIFY(window.isVisible());

    window.move(120, 80);
    QSignalSpy position(&window, &MainWindow::exitPosition);
    prompter.queueAnswer(true);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(quit.count(), 1);
    QCOMPARE(position.count(), 1);
    QCOMPARE(position.front().at(0).toInt(), window.x());
    QCOMPARE(position.front().at(1).toInt(), window.y());
    QVERIFY(!window.isVisible());
}

void WindowsTest::quitRequestClosesWithoutAsking()
{
    ScriptedPrompter prompter;
    MainWindow window(prompter);
    window.show();
    QSignalSpy quit(&window, &MainWindow::quitConfirmed);
    window.closeWithoutAsking();
    QCOMPARE(quit.count(), 1);
    QCOMPARE(prompter.prompts().size(), 0);
    QVERIFY(!window.isVisible());
}

void WindowsTest::savedPosition()
{
    ScriptedPrompter prompter;
    MainWindow window(prompter);
    window.move(200, 300);
    window.moveToSavedPosition(0, 0);
    QCOMPARE(window.pos(), QPoint(200, 30));
    window.moveToSavedPosition(15, 25);
    QCOMPARE(window.pos(), QPoint(15, 25));
}

void WindowsTest::splashClosesOnClickOrAfterThreeSeconds()
{
    SplashScreen clicked;
    QCOMPARE(clicked.size(), QSize(425, 159));
    clicked.show();
    QVERIFY(QTest::qWaitForWindowExposed(&clicked));
    QTest::mouseClick(&clicked, Qt::LeftButton);
    QVERIFY(!clicked.isVisible());

    // Without a click it closes by itself.
    SplashScreen::showModal();
}

void WindowsTest::hintReportsTheTickedBox()
{
    QtPrompter prompter;
    for (bool tick : {true, false}) {
        QTimer::singleShot(200, [tick] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Skywell Hint"));
            auto *box = dialog->findChild<QCheckBox *>();
            QVERIFY(box);
            QCOMPARE(box->text(), QStringLiteral("Don't show this hint again"));
            QVERIFY(!box->isChecked());
            box->setChecked(tick);
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(prompter.hint(QStringLiteral("Some hint")), tick);
    }
}

QTEST_MAIN(WindowsTest)
#include "windowstest.moc"
