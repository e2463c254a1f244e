// Quick Record driven as a user drives it: the values it opens with, the
// refusals of OK, what it remembers and the recording it starts.
#include "ui/quickrecorddialog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settingsstore.h"
#include "shows/show.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace skywell;

namespace
{

const QStringList kSources = {QStringLiteral("Monitor of Speakers"), QStringLiteral("Microphone")};

struct Rig {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    SettingsStore settingsStore{dir.path() + QStringLiteral("/user"), dir.path() + QStringLiteral("/machine")};
    ManualClock clock{1'700'000'000};
    bool library = false;
    QString wanted;

    QuickRecordDeps deps()
    {
        QuickRecordDeps deps{settingsStore, prompter, clock, dir.path() + QLatin1Char('/'), {}, {}, {}, {}, {}, {}};
        deps.fillSources = [this](const QString &name) {
            wanted = name;
            return SourceCombo{kSources, std::max(0, int(kSources.indexOf(name)))};
        };
        deps.sourceNameAt = [](int index) { return kSources.value(index); };
        deps.musicLibraryInstalled = [this] { return library; };
        return deps;
    }
    int readInt(const char *name) const
    {
        return settingsStore.readInt(QString::fromLatin1(name), SettingsGroup::Program);
    }
};

template <typename T> T *child(QWidget &dialog, const char *name)
{
    T *found = dialog.findChild<T *>(QString::fromLatin1(name));
    Q_ASSERT(found);
    return found;
}

QRadioButton *kindButton(QWidget &dialog, int kind)
{
    return qobject_cast<QRadioButton *>(dialog.findChild<QButtonGroup *>()->button(kind));
}

QCheckBox *box(QWidget &dialog, const QString &text)
{
    for (QCheckBox *found : dialog.findChildren<QCheckBox *>()) {
        if (found->text() == text)
            return found;
    }
    Q_ASSERT(false);
    return nullptr;
}

void pressOk(QDialog &dialog)
{
    for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
        if (button->text().remove(QLatin1Char('&')) == QStringLiteral("OK")) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    QFAIL("no OK button");
}

void saveScreenshot(QWidget &widget, const QString &name)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots");
    QDir().mkpath(folder);
    widget.show();
    QVERIFY(widget.grab().save(folder + QLatin1Char('/') + name));
}

} // namespace

class QuickRecordDialogTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstRunOpensWithTheDefaults();
    void storedValuesOpenCorrected();
    void okRefusesValuesOutOfRange();
    void okRemembersAndClearsWhatIsOff();
    void customKindWithoutScriptFallsBack();
    void runStartsTheRecordingAtTheChosenLength();
    void streamSourceAsksForItsAddressAndTitleOption();
};

void QuickRecordDialogTest::firstRunOpensWithTheDefaults()
{
    Rig rig;
    rig.settingsStore.writeString(QStringLiteral("BestRecordSource"), kSources[1], SettingsGroup::Program);
    QuickRecordDialog dialog(rig.deps());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Quick Record"));
    QCOMPARE(child<QLineEdit>(dialog, "name")->text(), QStringLiteral("My Show"));
    QCOMPARE(child<QLineEdit>(dialog, "hours")->text(), QStringLiteral("0"));
    QCOMPARE(child<QLineEdit>(dialog, "minutes")->text(), QStringLiteral("5"));
    QVERIFY(kindButton(dialog, QuickMp3Cd)->isChecked());
    QCOMPARE(kindButton(dialog, QuickMp3Cd)->text(), QStringLiteral("MP3 - CD Quality (56 MB per hour)"));
    QVERIFY(!kindButton(dialog, QuickCustom)->isEnabled());
    QVERIFY(!box(dialog, QStringLiteral("Eliminate Dead Air after"))->isChecked());
    QCOMPARE(child<QLineEdit>(dialog, "deadAirSeconds")->text(), QStringLiteral("3"));
    QVERIFY(!child<QLineEdit>(dialog, "deadAirSeconds")->isEnabled());
    QVERIFY(!box(dialog, QStringLiteral("Create new track after"))->isChecked());
    QCOMPARE(child<QLineEdit>(dialog, "newTrackMs")->text(), QStringLiteral("1000"));
    QVERIFY(!box(dialog, QStringLiteral("Save last track"))->isChecked());
    QVERIFY(!box(dialog, QStringLiteral("Save last track"))->isEnabled());
    QVERIFY(!box(dialog, QStringLiteral("Split tracks every"))->isChecked());
    QCOMPARE(child<QLineEdit>(dialog, "splitMinutes")->text(), QStringLiteral("0"));
    QVERIFY(box(dialog, QStringLiteral("Add to the music library (MPD)"))->isHidden());
    // No source used yet: the one the source test found best is wanted.
    QCOMPARE(rig.wanted, kSources[1]);
    QCOMPARE(child<QComboBox>(dialog, "source")->currentText(), kSources[1]);

    // Ticking a box enables its fields at once.
    box(dialog, QStringLiteral("Create new track after"))->click();
    QVERIFY(child<QLineEdit>(dialog, "newTrackMs")->isEnabled());
    QVERIFY(box(dialog, QStringLiteral("Save last track"))->isEnabled());
    saveScreenshot(dialog, QStringLiteral("quickrecord.png"));
}

void QuickRecordDialogTest::storedValuesOpenCorrected()
{
    Rig rig;
    rig.library = true;
    const auto write = [&rig](const char *name, int value) {
        rig.settingsStore.writeInt(QString::fromLatin1(name), value, SettingsGroup::Program);
    };
    write("LastQRDeadAirInterval", 90);
    write("LastQRDeadAirEnable", 1);
    write("QRLastQuality", QuickWav);
    write("LastQRITunes", 1);
    write("LastQRSaveLastTrack", 1);
    rig.settingsStore.writeString(QStringLiteral("LastRecordSource"), kSources[0], SettingsGroup::Program);
    rig.settingsStore.writeString(QStringLiteral("BestRecordSource"), kSources[1], SettingsGroup::Program);
    QuickRecordDialog dialog(rig.deps());
    QCOMPARE(child<QLineEdit>(dialog, "deadAirSeconds")->text(), QStringLiteral("3"));
    QVERIFY(child<QLineEdit>(dialog, "deadAirSeconds")->isEnabled());
    QVERIFY(kindButton(dialog, QuickWav)->isChecked());
    QVERIFY(!box(dialog, QStringLiteral("Add to the music library (MPD)"))->isHidden());
    QVERIFY(box(dialog, QStringLiteral("Add to the music library (MPD)"))->isChecked());
    QVERIFY(box(dialog, QStringLiteral("Save last track"))->isChecked());
    QCOMPARE(rig.wanted, kSources[0]);

    // 60 seconds is kept; without the music library its tick is cleared.
    write("LastQRDeadAirInterval", 60);
    rig.library = false;
    QuickRecordDialog again(rig.deps());
    QCOMPARE(child<QLineEdit>(again, "deadAirSeconds")->text(), QStringLiteral("60"));
    QVERIFY(!box(again, QStringLiteral("Add to the music library (MPD)"))->isChecked());
}

void QuickRecordDialogTest::okRefusesValuesOutOfRange()
{
    Rig rig;
    QuickRecordDialog dialog(rig.deps());
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const auto refused = [&](const char *field, const QString &text, const QString &message) {
        QLineEdit *edit = child<QLineEdit>(dialog, field);
        const QString before = edit->text();
        edit->setText(text);
        rig.prompter.clear();
        pressOk(dialog);
        const bool focused = edit->hasFocus();
        edit->setText(before);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.isVisible());
        QCOMPARE(rig.prompter.prompts().size(), 1);
        QCOMPARE(rig.prompter.prompts().first().text, message);
        QVERIFY2(focused, field);
    };
    refused("name", QString(33, QLatin1Char('x')), QStringLiteral("Please enter no more than 32 characters."));
    refused("hours", QStringLiteral("13"), QStringLiteral("Please enter an integer between 0 and 12."));
    refused("minutes", QStringLiteral("five"), QStringLiteral("Please enter an integer."));
    box(dialog, QStringLiteral("Eliminate Dead Air after"))->click();
    box(dialog, QStringLiteral("Split tracks every"))->click();
    refused("deadAirSeconds", QStringLiteral("10000"), QStringLiteral("Please enter an integer between 0 and 9999."));
    refused("splitMinutes", QStringLiteral("1000"), QStringLiteral("Please enter an integer between 0 and 999."));

    // The limits themselves pass.
    child<QLineEdit>(dialog, "name")->setText(QString(32, QLatin1Char('x')));
    child<QLineEdit>(dialog, "hours")->setText(QStringLiteral("12"));
    child<QLineEdit>(dialog, "minutes")->setText(QStringLiteral("30"));
    rig.prompter.clear();
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(rig.prompter.prompts().isEmpty());
}

void QuickRecordDialogTest::okRemembersAndClearsWhatIsOff()
{
    Rig rig;
    {
        QuickRecordDialog dialog(rig.deps());
        kindButton(dialog, QuickMp3Am)->click();
        child<QComboBox>(dialog, "source")->setCurrentIndex(1);
        box(dialog, QStringLiteral("Eliminate Dead Air after"))->click();
        child<QLineEdit>(dialog, "deadAirSeconds")->setText(QStringLiteral("20"));
        child<QLineEdit>(dialog, "newTrackMs")->setText(QStringLiteral("700"));
        child<QLineEdit>(dialog, "splitMinutes")->setText(QStringLiteral("15"));
        box(dialog, QStringLiteral("Compress Speech"))->click();
        pressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        // Boxes left clear zero their numbers for the recording only.
        QCOMPARE(dialog.values().newTrackSilenceMs, 0);
        QCOMPARE(dialog.values().splitMinutes, 0);
        QVERIFY(dialog.values().compressSpeech);
    }
    QCOMPARE(rig.readInt("QRLastQuality"), int(QuickMp3Am));
    QCOMPARE(rig.settingsStore.readString(QStringLiteral("LastRecordSource"), SettingsGroup::Program), kSources[1]);
    QCOMPARE(rig.readInt("LastQRDeadAirEnable"), 1);
    QCOMPARE(rig.readInt("LastQRDeadAirInterval"), 20);
    QCOMPARE(rig.readInt("LastQRSplitInterval"), 700);
    QCOMPARE(rig.readInt("LastQRTimeSplitMinutes"), 15);
    QCOMPARE(rig.readInt("LastQRSplitAfter"), 0);

    // The next opening shows them again; compress speech is not kept.
    QuickRecordDialog next(rig.deps());
    QVERIFY(kindButton(next, QuickMp3Am)->isChecked());
    QCOMPARE(child<QComboBox>(next, "source")->currentIndex(), 1);
    QCOMPARE(child<QLineEdit>(next, "deadAirSeconds")->text(), QStringLiteral("20"));
    QCOMPARE(child<QLineEdit>(next, "newTrackMs")->text(), QStringLiteral("700"));
    QVERIFY(!box(next, QStringLiteral("Compress Speech"))->isChecked());
}

void QuickRecordDialogTest::customKindWithoutScriptFallsBack()
{
    Rig rig;
    rig.settingsStore.writeInt(QStringLiteral("QRLastQuality"), QuickCustom, SettingsGroup::Program);
    {
        QuickRecordDialog dialog(rig.deps());
        QVERIFY(!kindButton(dialog, QuickCustom)->isEnabled());
        QVERIFY(kindButton(dialog, QuickMp3Cd)->isChecked());
    }
    QFile script(rig.dir.path() + QStringLiteral("/custom.sh"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.close();
    QuickRecordDialog dialog(rig.deps());
    QVERIFY(kindButton(dialog, QuickCustom)->isEnabled());
    QVERIFY(kindButton(dialog, QuickCustom)->isChecked());
}

void QuickRecordDialogTest::runStartsTheRecordingAtTheChosenLength()
{
    Rig rig;
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        child<QLineEdit>(*dialog, "name")->setText(QStringLiteral("Morning"));
        child<QLineEdit>(*dialog, "hours")->setText(QStringLiteral("2"));
        child<QLineEdit>(*dialog, "minutes")->setText(QStringLiteral("7"));
        kindButton(*dialog, QuickMp3DataCd)->click();
        box(*dialog, QStringLiteral("Create new track after"))->click();
        box(*dialog, QStringLiteral("Split tracks every"))->click();
        child<QLineEdit>(*dialog, "splitMinutes")->setText(QStringLiteral("30"));
        pressOk(*dialog);
    });
    const std::optional<RecordingRequest> request = runQuickRecord(nullptr, rig.deps());
    QVERIFY(request);
    QCOMPARE(request->name, QStringLiteral("Morning"));
    QVERIFY(request->url.isEmpty());
    QCOMPARE(request->endTime, rig.clock.now() + 2 * 3600 + 7 * 60 - 20);
    QCOMPARE(request->flags, SHOW_MANUAL | OUT_MP3_CD | OPT_SILENCE_SPLIT | OPT_TIME_SPLIT);
    QCOMPARE(request->recordSource, kSources[0]);
    QCOMPARE(request->silenceMs, 1000);
    QCOMPARE(request->deadAirMs, 3000);
    QCOMPARE(request->splitMinutes, 30);
    QCOMPARE(request->tunerKind, 'U');
    // A new track on silence without saving the last one drops it.
    QVERIFY(request->discardLastTrack);
    for (std::uint8_t minute : request->splitAtMinute)
        QCOMPARE(int(minute), 255);

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QVERIFY(!runQuickRecord(nullptr, rig.deps()));
}

void QuickRecordDialogTest::streamSourceAsksForItsAddressAndTitleOption()
{
    Rig rig;
    const QStringList sources = {QStringLiteral("Internet Stream"), kSources[0]};
    QuickRecordDeps deps = rig.deps();
    deps.fillSources = [&sources](const QString &) { return SourceCombo{sources, 1}; };
    deps.sourceNameAt = [&sources](int index) { return sources.value(index); };
    QuickRecordDialog dialog(deps);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // A sound card needs no address: the stream's fields stay hidden.
    QVERIFY(!child<QLineEdit>(dialog, "streamAddress")->isVisible());
    QVERIFY(!child<QCheckBox>(dialog, "titleSplit")->isVisible());
    child<QComboBox>(dialog, "source")->setCurrentIndex(0);
    QVERIFY(child<QLineEdit>(dialog, "streamAddress")->isVisible());
    QVERIFY(child<QCheckBox>(dialog, "titleSplit")->isVisible());

    // No usable address: refused, with the address field focused.
    child<QLineEdit>(dialog, "streamAddress")->setText(QStringLiteral("not an address"));
    rig.prompter.clear();
    pressOk(dialog);
    QVERIFY(dialog.isVisible());
    QCOMPARE(rig.prompter.prompts().size(), 1);
    QVERIFY(rig.prompter.prompts().first().text.startsWith(QStringLiteral("Please enter the web address")));

    child<QLineEdit>(dialog, "streamAddress")->setText(QStringLiteral(" http://127.0.0.1:8000/live.mp3 "));
    child<QCheckBox>(dialog, "titleSplit")->setChecked(true);
    pressOk(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const RecordingRequest request = quickRecordRequest(dialog.values(), rig.clock.now());
    QCOMPARE(request.recordSource, QStringLiteral("Internet Stream"));
    QCOMPARE(request.url, QStringLiteral("http://127.0.0.1:8000/live.mp3"));
    QVERIFY(request.flags & OPT_TITLE_SPLIT);
    QVERIFY(request.flags & SHOW_MANUAL);

    // Remembered for the next Quick Record; a sound card ignores them.
    QuickRecordValues next = loadQuickRecordValues(rig.settingsStore, false);
    QCOMPARE(next.streamAddress, QStringLiteral("http://127.0.0.1:8000/live.mp3"));
    QVERIFY(next.titleSplit);
    next.sourceName = kSources[0];
    const RecordingRequest cardRequest = quickRecordRequest(next, rig.clock.now());
    QVERIFY(cardRequest.url.isEmpty());
    QVERIFY(!(cardRequest.flags & OPT_TITLE_SPLIT));
}

QTEST_MAIN(QuickRecordDialogTest)
#include "quickrecorddialogtest.moc"
