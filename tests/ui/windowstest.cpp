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
    void splashClosesOnClickOrAfterThreeSeconds();
    void hintReportsTheTickedBox();
};

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
