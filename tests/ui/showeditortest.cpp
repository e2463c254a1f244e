#include "ui/showeditor.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/show.h"
#include "ui/addshowchooser.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <QtTest>

#include <ctime>
#include <functional>

using namespace skywell;

namespace
{

std::int64_t localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::int64_t(std::mktime(&tm));
}

struct EditorSetup {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    SettingsStore settingsStore{dir.filePath(QStringLiteral("user")), dir.filePath(QStringLiteral("machine"))};
    ManualClock clock{localTime(2026, 12, 9, 14)};
    Settings settings;
    QStringList sources{QStringLiteral("alsa_output.pci-0000_00_1f.3.analog-stereo.monitor"), QStringLiteral("Line In"),
                        QStringLiteral("Direct Download")};
    QStringList labels; // what the list shows; empty: the names
    ShowEditorContext context{settingsStore, prompter, clock, settings, dir.filePath(QStringLiteral("prog/"))};

    EditorSetup()
    {
        settings.mp3Folder = dir.filePath(QStringLiteral("rec/"));
        QDir().mkpath(settings.mp3Folder);
        context.recordingSources = [this](const QString &wanted) {
            return SourceCombo{sources, std::max(0, int(sources.indexOf(wanted))), labels};
        };
    }
};

template <class T> T *child(QWidget &parent, const QString &name)
{
    T *found = parent.findChild<T *>(name);
    if (!found)
        qFatal("no child %s", qPrintable(name));
    return found;
}

void clickOk(QDialog &dialog)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

// Opens the editor on show through editShow, lets edit change its pages,
// presses OK (when ok) and returns editShow's answer. An editor that comes
// back after a refused OK is cancelled.
bool runEditor(EditorSetup &s, Show &show, const std::function<void(QDialog &)> &edit, bool ok = true)
{
    int opened = 0;
    QTimer driver;
    driver.setInterval(0);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto *editor = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!editor || !editor->isVisible())
            return;
        if (opened++ > 0) {
            editor->reject();
            return;
        }
        edit(*editor);
        if (ok)
            clickOk(*editor);
        if (editor->isVisible())
            editor->reject();
    });
    driver.start();
    return editShow(nullptr, show, s.context);
}

void showPage(QDialog &editor, int index)
{
    editor.findChild<QTabWidget *>()->setCurrentIndex(index);
}

} // namespace

class ShowEditorTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void newShowProposesTheComingHourAndSummarisesIt();
    void timesGoToTheirNextOccurrence();
    void onceInThePastKeepsItsDate();
    void directDownloadRecordsOneMinute();
    void tuneWithAndTheSourceListShowWordsAndKeepValues();
    void streamSourceOffersTheTitleOption();
    void outputKindFromLastQuality();
    void splitMinutesOutsideTheHourAreUnused();
    void numberEditsMustHoldIntegersThatFit();
    void nameIsCheckedWithATestFile();
    void longRecordingSourceIsKeptWhole();
    void warningsAndCancel();
    void scheduleKindEnablesItsControls();
    void addShowChooserAnswers();
    void pagesSetTheHelpAnchorWhenFirstShown();
    void keyboardAlone();
};

void ShowEditorTest::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void ShowEditorTest::newShowProposesTheComingHourAndSummarisesIt()
{
    // Wednesday 10:17:30: the weekday Show is proposed for 11:00 to 12:00,
    // and the Summary says so; it follows the Schedule page.
    EditorSetup s;
    s.clock.set(localTime(2026, 12, 9, 10, 17, 30));
    Show show;
    QTime start, end;
    QStringList summaries;
    QVERIFY(runEditor(s, show, [&](QDialog &editor) {
        QCOMPARE(editor.windowTitle(), QStringLiteral("Scheduled Show Settings"));
        summaries << child<QLabel>(editor, QStringLiteral("summary"))->text();
        showPage(editor, 2);
        start = child<QTimeEdit>(editor, QStringLiteral("startTime"))->time();
        end = child<QTimeEdit>(editor, QStringLiteral("endTime"))->time();
        child<QCheckBox>(editor, QStringLiteral("Wed"))->setChecked(false);
        showPage(editor, 0);
        summaries << child<QLabel>(editor, QStringLiteral("summary"))->text();
        showPage(editor, 2);
        editor.findChild<QTabWidget *>()->currentWidget()->findChildren<QRadioButton *>().at(2)->click();
        showPage(editor, 0);
        summaries << child<QLabel>(editor, QStringLiteral("summary"))->text();
        showPage(editor, 2);
        editor.findChild<QTabWidget *>()->currentWidget()->findChildren<QRadioButton *>().at(1)->click();
    }));
    QCOMPARE(start, QTime(11, 0));
    QCOMPARE(end, QTime(12, 0));
    QVERIFY2(
        summaries[0].contains(QStringLiteral("Days= Mon Tue Wed Thu Fri \n  Next = Wed Dec 9 11:00 AM - 12:00 PM\n")),
        qPrintable(summaries[0]));
    QVERIFY2(summaries[1].contains(QStringLiteral("Next = Thu Dec 10 11:00 AM - 12:00 PM\n")),
             qPrintable(summaries[1]));
    QVERIFY2(summaries[2].contains(QStringLiteral("Next = Unscheduled\n")), qPrintable(summaries[2]));
    QCOMPARE(show.startTime, localTime(2026, 12, 9, 11));
    QCOMPARE(show.endTime, localTime(2026, 12, 9, 12));
}

void ShowEditorTest::timesGoToTheirNextOccurrence()
{
    EditorSetup s; // now: 14:00
    Show show;     // repeating on weekdays
    QVERIFY(runEditor(s, show, [](QDialog &editor) {
        showPage(editor, 2);
        child<QTimeEdit>(editor, QStringLiteral("startTime"))->setTime(QTime(9, 0));
        child<QTimeEdit>(editor, QStringLiteral("endTime"))->setTime(QTime(10, 30));
    }));
    QCOMPARE(show.startTime, localTime(2026, 12, 10, 9));
    QCOMPARE(show.endTime, localTime(2026, 12, 10, 10, 30));
    QVERIFY(show.flags & SHOW_REPEATING);

    // An end before the start ends on the following day.
    QVERIFY(runEditor(s, show, [](QDialog &editor) {
        showPage(editor, 2);
        child<QTimeEdit>(editor, QStringLiteral("startTime"))->setTime(QTime(23, 0));
        child<QTimeEdit>(editor, QStringLiteral("endTime"))->setTime(QTime(1, 0));
    }));
    QCOMPARE(show.startTime, localTime(2026, 12, 9, 23));
    QCOMPARE(show.endTime, localTime(2026, 12, 10, 1));
}

void ShowEditorTest::onceInThePastKeepsItsDate()
{
    EditorSetup s;
    Show show;
    QVERIFY(runEditor(s, show, [](QDialog &editor) {
        showPage(editor, 2);
        QTest::mouseClick(editor.findChild<QTabWidget *>()->currentWidget()->findChildren<QRadioButton *>().at(0),
                          Qt::LeftButton);
        child<QDateEdit>(editor, QStringLiteral("onceDate"))->setDate(QDate(2004, 1, 10));
        child<QTimeEdit>(editor, QStringLiteral("startTime"))->setTime(QTime(20, 0));
        child<QTimeEdit>(editor, QStringLiteral("endTime"))->setTime(QTime(21, 0));
    }));
    QVERIFY(show.isOnce());
    QCOMPARE(show.onceDate, localTime(2004, 1, 10));
    QCOMPARE(show.startTime, localTime(2004, 1, 10, 20));
    QCOMPARE(show.endTime, localTime(2004, 1, 10, 21));
    QCOMPARE(show.flags & SHOW_DAYS, 0u);
}

void ShowEditorTest::directDownloadRecordsOneMinute()
{
    EditorSetup s;
    Show show;
    QVERIFY(runEditor(s, show, [](QDialog &editor) {
        showPage(editor, 2);
        child<QTimeEdit>(editor, QStringLiteral("startTime"))->setTime(QTime(15, 0));
        child<QTimeEdit>(editor, QStringLiteral("endTime"))->setTime(QTime(18, 0));
        showPage(editor, 4);
        child<QComboBox>(editor, QStringLiteral("recordSource"))->setCurrentText(QStringLiteral("Direct Download"));
    }));
    QCOMPARE(show.endTime - show.startTime, 60);
    QVERIFY(show.flags & OPT_DIRECT_DOWNLOAD);
    QCOMPARE(s.settingsStore.readString(QStringLiteral("LastRecordSource"), SettingsGroup::Program),
             QStringLiteral("Direct Download"));
}

// The tuner plays every stream itself: a choice of player would act on
// nothing, so the page has none and the Show keeps its letter.
// The Tuning page's "Tune With: " list shows the Show's player and stores
// the one picked; the source list shows descriptions and stores names.
void ShowEditorTest::tuneWithAndTheSourceListShowWordsAndKeepValues()
{
    EditorSetup s;
    s.labels = {QStringLiteral("Monitor of Built-in Audio Analog Stereo"), QStringLiteral("Line In"),
                QStringLiteral("Direct Download")};
    Show show;
    show.tunerKind = 'W';
    QStringList items;
    QString shown;
    QString sourceShown;
    QVERIFY(runEditor(s, show, [&](QDialog &editor) {
        showPage(editor, 1);
        auto *tuneWith = child<QComboBox>(editor, QStringLiteral("tuneWith"));
        for (int i = 0; i < tuneWith->count(); ++i)
            items << tuneWith->itemText(i);
        shown = tuneWith->currentText();
        tuneWith->setCurrentText(QStringLiteral("a command"));
        showPage(editor, 4);
        auto *source = child<QComboBox>(editor, QStringLiteral("recordSource"));
        source->setCurrentIndex(0);
        sourceShown = source->currentText();
    }));
    QCOMPARE(items, (QStringList{QStringLiteral("Skywell Tuner"), QStringLiteral("the desktop's media player"),
                                 QStringLiteral("a command")}));
    QCOMPARE(shown, QStringLiteral("the desktop's media player"));
    QCOMPARE(show.tunerKind, 'R');
    QCOMPARE(sourceShown, QStringLiteral("Monitor of Built-in Audio Analog Stereo"));
    QCOMPARE(recordSourceName(show), QStringLiteral("alsa_output.pci-0000_00_1f.3.analog-stereo.monitor"));
}

void ShowEditorTest::streamSourceOffersTheTitleOption()
{
    EditorSetup s;
    s.sources.prepend(QStringLiteral("Internet Stream"));
    Show show;
    bool hiddenForTheCard = false;
    QVERIFY(runEditor(s, show, [&](QDialog &editor) {
        showPage(editor, 4);
        auto *source = child<QComboBox>(editor, QStringLiteral("recordSource"));
        auto *titles = child<QCheckBox>(editor, QStringLiteral("titleSplit"));
        source->setCurrentText(QStringLiteral("Line In"));
        hiddenForTheCard = !titles->isVisible();
        source->setCurrentText(QStringLiteral("Internet Stream"));
        QVERIFY(titles->isVisible());
        titles->setChecked(true);
    }));
    QVERIFY(hiddenForTheCard);
    QCOMPARE(recordSourceName(show), QStringLiteral("Internet Stream"));
    QVERIFY(show.flags & OPT_TITLE_SPLIT);
}

void ShowEditorTest::outputKindFromLastQuality()
{
    EditorSetup s;
    s.settingsStore.writeInt(QStringLiteral("LastQuality"), 3, SettingsGroup::Program);
    for (const std::uint32_t output : {0u, OUT_MP3_AM | OUT_WAV}) {
        Show show;
        show.flags = SHOW_REPEATING | SHOW_MON | output;
        QString chosen;
        QVERIFY(runEditor(s, show, [&chosen](QDialog &editor) {
            showPage(editor, 3);
            for (auto *button : editor.findChildren<QRadioButton *>()) {
                if (button->objectName().startsWith(QStringLiteral("output")) && button->isChecked())
                    chosen = button->text();
            }
        }));
        QCOMPARE(chosen, QStringLiteral("WAV file"));
        QCOMPARE(show.flags & OUT_MASK, OUT_WAV);
    }
    // The custom kind needs custom.sh; without it the first kind is chosen.
    Show custom;
    custom.flags = SHOW_REPEATING | SHOW_MON | OUT_CUSTOM;
    QVERIFY(runEditor(s, custom, [](QDialog &editor) {
        showPage(editor, 3);
        QVERIFY(!child<QRadioButton>(editor, QStringLiteral("output6"))->isEnabled());
        QVERIFY(child<QRadioButton>(editor, QStringLiteral("output0"))->isChecked());
    }));
    QCOMPARE(custom.flags & OUT_MASK, OUT_MP3_CD_QUALITY);
    QCOMPARE(s.settingsStore.readInt(QStringLiteral("LastQuality"), SettingsGroup::Program), 0);
}

void ShowEditorTest::splitMinutesOutsideTheHourAreUnused()
{
    EditorSetup s;
    Show show;
    show.splitAtMinute[0] = 75; // stored by an older version
    QStringList shown;
    QVERIFY(runEditor(s, show, [&shown](QDialog &editor) {
        showPage(editor, 4);
        shown.append(child<QLineEdit>(editor, QStringLiteral("splitAt0"))->text());
        child<QLineEdit>(editor, QStringLiteral("splitAt1"))->setText(QStringLiteral("75"));
        child<QLineEdit>(editor, QStringLiteral("splitAt2"))->setText(QStringLiteral("300"));
        child<QLineEdit>(editor, QStringLiteral("splitAt3"))->setText(QStringLiteral("15"));
        child<QLineEdit>(editor, QStringLiteral("splitAt4"))->setText(QStringLiteral("0"));
    }));
    QCOMPARE(shown, QStringList{QString()});
    const std::uint8_t expected[8] = {255, 255, 255, 15, 0, 255, 255, 255};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(int(show.splitAtMinute[i]), int(expected[i]));
}

void ShowEditorTest::numberEditsMustHoldIntegersThatFit()
{
    EditorSetup s;
    Show show;
    QStringList messages;
    QVERIFY(runEditor(s, show, [&](QDialog &editor) {
        showPage(editor, 4);
        auto *deadAir = child<QLineEdit>(editor, QStringLiteral("deadAir"));
        QTest::mouseClick(child<QCheckBox>(editor, QStringLiteral("deadAirOn")), Qt::LeftButton);
        QVERIFY(deadAir->isEnabled());
        deadAir->setText(QString());
        showPage(editor, 0); // leaving the page
        QCOMPARE(editor.findChild<QTabWidget *>()->currentIndex(), 4);
        clickOk(editor);
        QVERIFY(editor.isVisible());
        deadAir->setText(QStringLiteral("2147484")); // x 1000 passes 32 bits
        clickOk(editor);
        QVERIFY(editor.isVisible());
        for (const auto &p : s.prompter.prompts())
            messages.append(p.text);
        deadAir->setText(QStringLiteral("2147483"));
        // A minus sign cannot be typed.
        auto *newTrack = child<QLineEdit>(editor, QStringLiteral("newTrack"));
        QTest::mouseClick(child<QCheckBox>(editor, QStringLiteral("newTrackOn")), Qt::LeftButton);
        newTrack->clear();
        QTest::keyClicks(newTrack, QStringLiteral("-5"));
        QCOMPARE(newTrack->text(), QStringLiteral("5"));
    }));
    QCOMPARE(messages,
             (QStringList{QStringLiteral("Please enter an integer."), QStringLiteral("Please enter an integer."),
                          QStringLiteral("Please enter an integer between 0 and 2147483.")}));
    QCOMPARE(show.deadAirMs, 2147483000);
    QCOMPARE(show.silenceMs, 5);
    QVERIFY(show.flags & OPT_DEAD_AIR);
    QVERIFY(show.flags & OPT_SILENCE_SPLIT);
}

void ShowEditorTest::nameIsCheckedWithATestFile()
{
    EditorSetup s;
    // Someone's file beside the recordings folder and one inside it.
    const QString outside = s.dir.filePath(QStringLiteral("victim Jan 00.mp3"));
    const QString inside = s.settings.mp3Folder + QStringLiteral("Keep Jan 00.mp3");
    for (const QString &path : {outside, inside}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("data");
    }
    Show show;
    QVERIFY(!runEditor(
        s, show,
        [](QDialog &editor) {
            child<QLineEdit>(editor, QStringLiteral("showName"))->setText(QString());
            showPage(editor, 1);
            QCOMPARE(editor.findChild<QTabWidget *>()->currentIndex(), 0);
            clickOk(editor);
            QVERIFY(editor.isVisible());
        },
        false));
    QCOMPARE(s.prompter.prompts().size(), 2);
    QCOMPARE(s.prompter.prompts().front().text,
             QStringLiteral("You need to enter a name for this show.  Please correct this and try again."));
    QCOMPARE(s.prompter.prompts().front().caption, QStringLiteral("Skywell"));
    QCOMPARE(fieldText(show.name), QStringLiteral("New Show")); // cancelled: untouched

    QVERIFY(runEditor(s, show, [](QDialog &editor) {
        child<QLineEdit>(editor, QStringLiteral("showName"))->setText(QStringLiteral("../victim"));
    }));
    QCOMPARE(fieldText(show.name), QStringLiteral("../victim"));
    QVERIFY(runEditor(s, show, [](QDialog &editor) {
        child<QLineEdit>(editor, QStringLiteral("showName"))->setText(QStringLiteral("Keep"));
    }));
    for (const QString &path : {outside, inside}) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        QCOMPARE(file.readAll(), QByteArray("data"));
    }
    QCOMPARE(QDir(s.settings.mp3Folder).entryList(QDir::Files), QStringList{QStringLiteral("Keep Jan 00.mp3")});

    // A recordings folder that cannot take the file: the warning, exactly.
    s.settings.mp3Folder = s.dir.filePath(QStringLiteral("missing/"));
    s.prompter.clear();
    QVERIFY(!runEditor(
        s, show, [](QDialog &editor) { clickOk(editor); }, false));
    QCOMPARE(s.prompter.prompts().front().caption, QStringLiteral("Skywell Warning"));
    QCOMPARE(s.prompter.prompts().front().text,
             QStringLiteral("Skywell is unable to create a test file for your show.\n\nMake sure you have not "
                            "entered a name for your show that contains some characters that can't be accepted, "
                            "such as:\n\n :  ?   *   /   \\   %   <   >   \"   ' "));
}

void ShowEditorTest::longRecordingSourceIsKeptWhole()
{
    EditorSetup s;
    Show show;
    QVERIFY(runEditor(s, show, [](QDialog &editor) { showPage(editor, 4); }));
    const QString longName = s.sources.front();
    QCOMPARE(recordSourceName(show), longName);
    QCOMPARE(fieldText(show.recordSource), longName.left(27));

    // Opened again, the whole name is what the list selects.
    QString selected;
    QVERIFY(runEditor(s, show, [&selected](QDialog &editor) {
        showPage(editor, 4);
        selected = child<QComboBox>(editor, QStringLiteral("recordSource"))->currentText();
    }));
    QCOMPARE(selected, longName);

    // A name too long for the record is refused, never cut.
    const QString tooLong = QStringLiteral("alsa_input.usb-Focusrite_Scarlett_Solo_USB_Y7XXXXX-00.analog-stereo-x");
    s.sources = {tooLong};
    s.prompter.clear();
    const Show before = show;
    QVERIFY(!runEditor(s, show, [](QDialog &editor) { showPage(editor, 4); }));
    QCOMPARE(s.prompter.count(ScriptedPrompter::Kind::Error), 1);
    QVERIFY(s.prompter.prompts().front().text.contains(tooLong));
    QCOMPARE(recordSourceName(show), recordSourceName(before));
}

void ShowEditorTest::warningsAndCancel()
{
    EditorSetup s;
    Show show;
    show.flags = SHOW_REPEATING | SHOW_MON | OUT_AUDIO_CD;
    QVERIFY(runEditor(s, show, [](QDialog &editor) {
        showPage(editor, 2);
        child<QTimeEdit>(editor, QStringLiteral("startTime"))->setTime(QTime(15, 0));
        child<QTimeEdit>(editor, QStringLiteral("endTime"))->setTime(QTime(23, 0));
    }));
    QCOMPARE(s.prompter.count(ScriptedPrompter::Kind::Information), 2);
    QCOMPARE(s.prompter.prompts().at(0).text,
             QStringLiteral("Warning: Please make sure your CD will hold more than 74 minutes of audio.\n\nYou may "
                            "have recording errors otherwise."));
    QCOMPARE(s.prompter.prompts().at(1).text,
             QStringLiteral("Warning: You have asked to record for more than 6 hours. Please make sure this is "
                            "correct."));
    QCOMPARE(show.endTime - show.startTime, 8 * 3600);

    const Show before = show;
    QVERIFY(!runEditor(
        s, show,
        [](QDialog &editor) { child<QLineEdit>(editor, QStringLiteral("showName"))->setText(QStringLiteral("X")); },
        false));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&show), sizeof show),
             QByteArray(reinterpret_cast<const char *>(&before), sizeof before));
}

void ShowEditorTest::scheduleKindEnablesItsControls()
{
    EditorSetup s;
    Show show;
    QVERIFY(runEditor(s, show, [](QDialog &editor) {
        showPage(editor, 2);
        auto radios = editor.findChild<QTabWidget *>()->currentWidget()->findChildren<QRadioButton *>();
        auto *once = child<QDateEdit>(editor, QStringLiteral("onceDate"));
        auto *start = child<QTimeEdit>(editor, QStringLiteral("startTime"));
        auto *monday = child<QCheckBox>(editor, QStringLiteral("Mon"));
        QVERIFY(!once->isEnabled() && monday->isEnabled() && start->isEnabled()); // repeating
        QTest::mouseClick(radios.at(2), Qt::LeftButton);
        QVERIFY(!once->isEnabled() && !monday->isEnabled() && !start->isEnabled());
        QTest::mouseClick(radios.at(0), Qt::LeftButton);
        QVERIFY(once->isEnabled() && !monday->isEnabled() && start->isEnabled());
        QTest::mouseClick(radios.at(2), Qt::LeftButton);
    }));
    QVERIFY(show.flags & SHOW_UNSCHEDULED);
}

void ShowEditorTest::addShowChooserAnswers()
{
    const QString texts[] = {QStringLiteral("Cancel"), QStringLiteral("Pick a Show"), QStringLiteral("Pick a Station"),
                             QStringLiteral("Enter Show Manually")};
    for (int code = 0; code < 4; ++code) {
        QTimer::singleShot(0, [&texts, code] {
            auto *chooser = QApplication::activeModalWidget();
            QVERIFY(chooser);
            QCOMPARE(chooser->windowTitle(), QStringLiteral("Add Show"));
            for (auto *button : chooser->findChildren<QPushButton *>()) {
                if (button->text() == texts[code])
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        });
        QCOMPARE(int(chooseHowToAddShow(nullptr)), code);
    }
}

void ShowEditorTest::pagesSetTheHelpAnchorWhenFirstShown()
{
    EditorSetup s;
    QStringList anchors;
    int helpOpened = 0;
    s.context.setHelpAnchor = [&anchors](const QString &anchor) { anchors.append(anchor); };
    s.context.openHelp = [&helpOpened] { ++helpOpened; };
    Show show;
    QVERIFY(!runEditor(
        s, show,
        [](QDialog &editor) {
            for (const int page : {4, 1, 2, 3, 4, 0, 1})
                showPage(editor, page);
            QTest::mouseClick(editor.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Help), Qt::LeftButton);
        },
        false));
    QCOMPARE(anchors, (QStringList{QStringLiteral("tuning"), QStringLiteral("recording"), QStringLiteral("tuning"),
                                   QStringLiteral("schedule"), QStringLiteral("output")}));
    QCOMPARE(helpOpened, 1);
}

void ShowEditorTest::keyboardAlone()
{
    EditorSetup s;
    Show show;
    // The name field has the focus; Ctrl+Tab moves through the pages and
    // Return presses OK.
    QVERIFY(runEditor(
        s, show,
        [](QDialog &editor) {
            editor.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&editor));
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            QCOMPARE(focus->objectName(), QStringLiteral("showName"));
            QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(focus, QStringLiteral("Typed Show"));
            QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(editor.findChild<QTabWidget *>()->currentIndex(), 1);
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &editor, Qt::Key_Return);
        },
        false));
    QCOMPARE(fieldText(show.name), QStringLiteral("Typed Show"));
}

QTEST_MAIN(ShowEditorTest)
#include "showeditortest.moc"
