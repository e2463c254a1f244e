// The About box and the splash screen as the user sees them: the version,
// the credits with the licences, the splash in the window's colours.
#include "ui/aboutbox.h"
#include "ui/skin.h"
#include "ui/splashscreen.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace skywell;

namespace
{

QString screenshotPath(const QString &name)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + name;
}

} // namespace

class AboutBoxTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aboutShowsVersionCreditsAndLicences();
    void splashIsTheSkinsPicture();
};

void AboutBoxTest::aboutShowsVersionCreditsAndLicences()
{
    AboutBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About Skywell"));
    QCOMPARE(box.findChild<QLabel *>(QStringLiteral("version"))->text(), QStringLiteral("Skywell 5.02"));
    const QString text = box.findChild<QTextBrowser *>()->toPlainText();
    for (const char *library :
         {"Qt 6: LGPL 3", "LAME", "SoundTouch", "libpulse", "libcurl", "libmpdclient", "FFmpeg", "libmpv"})
        QVERIFY2(text.contains(QString::fromLatin1(library)), library);
    box.show();
    QVERIFY(box.grab().save(screenshotPath(QStringLiteral("about.png"))));
    // OK closes it.
    box.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void AboutBoxTest::splashIsTheSkinsPicture()
{
    SplashScreen splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QImage shown = splash.grab().toImage();
    QCOMPARE(shown.size(), QSize(425, 159));
    QVERIFY(shown.save(screenshotPath(QStringLiteral("splash.png"))));
    QImage drawn = Skin::splash(1.0).toImage().convertToFormat(shown.format());
    QCOMPARE(shown, drawn);
}

QTEST_MAIN(AboutBoxTest)
#include "aboutboxtest.moc"
