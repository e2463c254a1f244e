#include "ui/sourcetestdialog.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "mixer/mixer.h"
#include "mixer/soundplayer.h"
#include "mixer/sourcetest.h"
#include "mixer/sourcetestcapture.h"
#include "support/memorymixer.h"

#include <QDialogButtonBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace skywell;

namespace
{

// A sound card that hears nothing: the test tries its sources and finds
// no sound.
struct SilentCapture final : SourceTestCapture {
    QStringList cards;
    void start(const QString &card) override { cards.append(card); }
    void stop() override {}
    void deliverCapturedBlocks() override {}
};
struct SilentPlayer final : SoundPlayer {
    bool playToEnd(const QString &, QString *) override { return true; }
};

} // namespace

class SourceTestDialogTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void beginRunsTheTestOnTheDefaultDeviceWithoutAsking();
};

void SourceTestDialogTest::beginRunsTheTestOnTheDefaultDeviceWithoutAsking()
{
    QTemporaryDir dir;
    ManualClock clock(1700000000);
    ActivityLog log(dir.path() + QLatin1Char('/'), clock);
    SettingsStore settingsStore(dir.filePath(QStringLiteral("u")), dir.filePath(QStringLiteral("m")));
    Settings settings;
    settings.soundCard = kDefaultDevice;
    MemoryMixer backend;
    backend.scanResult.devices = {{QStringLiteral("Card A"), {{QStringLiteral("Monitor"), 2, true}}}};
    backend.selectorState = MixerSelector{false, {QStringLiteral("Monitor")}, {false}};
    Mixer mixer(backend, log, settingsStore, settings);
    SilentCapture capture;
    SilentPlayer player;
    ScriptedPrompter prompter;
    RecordingSourceTest test(mixer, capture, player, prompter, settingsStore, log,
                             dir.filePath(QStringLiteral("zoom.wav")));

    SourceTestDialog dialog(test);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Recording Source Test"));
    QPushButton *begin = nullptr;
    for (auto *button : dialog.findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("Begin Recording Source Test"))
            begin = button;
    }
    QVERIFY(begin);
    QTest::mouseClick(begin, Qt::LeftButton);
    QCOMPARE(prompter.count(ScriptedPrompter::Kind::Question), 0);
    // The test goes on beside the window, which says how far it got.
    QVERIFY(!begin->isEnabled());
    QVERIFY(dialog.findChild<QProgressBar *>());
    QTRY_VERIFY_WITH_TIMEOUT(!prompter.prompts().isEmpty(), 20000);
    QVERIFY(begin->isEnabled());
    QCOMPARE(capture.cards, QStringList{kDefaultDevice});
    QVERIFY(prompter.prompts().last().text.startsWith(
        QStringLiteral("No sound was detected on any available recording source for this sound card: Default Device")));
    QVERIFY(dialog.isVisible()); // open until "Done"
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->buttons().front(), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(SourceTestDialogTest)
#include "sourcetestdialogtest.moc"
