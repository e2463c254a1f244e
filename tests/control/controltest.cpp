// Managing Skywell without its window: the command line's words, and the
// control service on a real Show file with the Show editor's checks.
#include "control/controloptions.h"
#include "control/controlwire.h"
#include "control/instancecontrol.h"
#include "control/showarguments.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/scheduler.h"
#include "shows/showeditorvalues.h"
#include "shows/showstore.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace skywell;
using namespace Qt::StringLiterals;
using namespace skywell::test;

namespace
{

// Arguments written as JSON text.
QJsonObject json(const char *text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

TEST(ControlCommandLineTest, TurnsWordsIntoRequestsAndRefusesWhatIsNotAnOption)
{
    struct Case {
        std::vector<const char *> args;
        const char *arguments = ""; // compact JSON; empty when refused
        const char *problem = "";   // the start of the refusal
        bool json = false;
        bool help = false;
    };
    const Case cases[] = {
        {{"list", "--json"}, "{}", "", true},
        {{"add", "Jazz", "http://a/b", "--weekly", "mon,fri", "--at=21:00", "--length", "90", "--mute"},
         R"({"at":"21:00","length":"90","mute":true,"name":"Jazz","url":"http://a/b","weekly":"mon,fri"})"},
        {{"add", "--", "--odd name", "http://a/"}, R"({"name":"--odd name","url":"http://a/"})"},
        {{"edit", "Jazz", "--url", "https://c/", "--split-titles"},
         R"({"name":"Jazz","split-titles":true,"url":"https://c/"})"},
        {{"record", "Jazz", "--minutes", "5"}, R"({"minutes":"5","name":"Jazz"})"},
        {{"stop"}, "{}"},
        {{"status", "--help"}, "", "", false, true},
        {{"add", "Jazz"}, "", "Missing URL."},
        {{"add", "Jazz", "http://a/", "--url", "http://b/"}, "", "Unknown option \"--url\"."},
        {{"record", "Jazz", "--length", "5"}, "", "Unknown option \"--length\"."},
        {{"add", "Jazz", "http://a/", "--at"}, "", "The option --at needs a value."},
        {{"add", "Jazz", "http://a/", "--mute=yes"}, "", "Unknown option \"--mute=yes\"."},
        {{"remove", "Jazz", "Blues"}, "", "Too many arguments: \"Blues\"."},
    };
    for (const Case &c : cases) {
        QStringList args;
        for (const char *arg : c.args)
            args << QString::fromUtf8(arg);
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const ControlCommandLine line = parseControlCommandLine(args);
        EXPECT_EQ(line.request.command, args.first());
        EXPECT_EQ(line.json, c.json);
        EXPECT_EQ(line.help, c.help);
        if (!*c.problem) {
            EXPECT_TRUE(line.problem.isEmpty()) << line.problem.toStdString();
            if (!c.help) {
                EXPECT_EQ(compact(line.request.arguments), QString::fromUtf8(c.arguments));
            }
        } else {
            EXPECT_TRUE(line.problem.startsWith(QString::fromUtf8(c.problem))) << line.problem.toStdString();
        }
    }
    EXPECT_TRUE(isControlCommand(QStringLiteral("recordings")));
    EXPECT_FALSE(isControlCommand(QStringLiteral("show.skw")));
}

// The service of an instance without recordings, on a Show file in a
// folder of its own.
class InstanceControlTest : public ::testing::Test
{
protected:
    InstanceControlTest() { QDir().mkpath(settings.mp3Folder); }

    ControlReply run(const char *command, const QJsonObject &arguments)
    {
        return control.handle({QString::fromLatin1(command), arguments});
    }
    QByteArray showFile() const
    {
        QFile file(store.showFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The Shows as a fresh start reads them from the file.
    ShowList reread()
    {
        ShowList again;
        ShowStore{folder.path(), log, prompter}.load(again);
        return again;
    }

    TempFolder folder;
    ManualClock clock{1765000000};
    ActivityLog log{folder.path(), clock};
    ScriptedPrompter prompter;
    SettingsStore settingsStore{folder.path() + u"user"_s, folder.path() + u"machine"_s};
    Settings settings{folder.path() + u"rec/"_s};
    ShowList shows;
    Scheduler scheduler{clock, settings, settingsStore, log, prompter};
    ShowStore store{folder.path(), log, prompter};
    InstanceControl control{{shows, scheduler, store, settingsStore, settings, clock}, nullptr};
};

TEST_F(InstanceControlTest, RefusesBadShowsWithTheEditorsMessagesAndLeavesTheFileAlone)
{
    ASSERT_EQ(run("add", json(R"({"name": "Kept", "url": "http://127.0.0.1/a"})")).status, ControlStatus::Done);
    const QByteArray before = showFile();
    const QString range = kLengthRangeText.arg(1440);
    struct Case {
        const char *command;
        const char *arguments;
        QString message;
    };
    const Case cases[] = {
        {"add", R"({"name": "", "url": "http://127.0.0.1/a"})", kEmptyShowNameText},
        {"add", R"({"url": "http://127.0.0.1/a"})", kEmptyShowNameText},
        {"add", R"({"name": "Kept", "url": "http://127.0.0.1/a"})", kShowExistsText.arg(u"Kept"_s)},
        {"add", R"({"name": "N", "url": "ftp://127.0.0.1/a"})", kAddressNotWebText.arg(u"ftp://127.0.0.1/a"_s)},
        {"add", R"({"name": "N", "url": "javascript:alert"})", kAddressNotWebText.arg(u"javascript:alert"_s)},
        {"add", R"({"name": "N", "url": "http://"})", kAddressNotWebText.arg(u"http://"_s)},
        {"add", R"({"name": "N"})", kAddressNotWebText.arg(QString())},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "length": "0"})", range},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "length": "10000"})", range},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "split-every": "abc"})", u"Please enter an integer."_s},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "split-every": "-1"})",
         u"Please enter an integer between 0 and %1."_s.arg(kMaxSplitMinutes)},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "source": "soundcard", "output": "as-broadcast"})",
         kAsBroadcastNeedsStreamText},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "output": "flac"})",
         kUnknownWordText.arg(u"output"_s, u"flac"_s, u"mp3-fm, mp3-am, mp3-cd, wav, as-broadcast, none"_s)},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "once": "2025-02-31"})",
         kBadDateText.arg(u"2025-02-31"_s)},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "once": "2025-12-24", "at": "24:00"})",
         kBadTimeText.arg(u"24:00"_s)},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "weekly": "mon,someday"})",
         kUnknownWordText.arg(u"day"_s, u"someday"_s, u"mon, tue, wed, thu, fri, sat, sun"_s)},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "weekly": "mon", "once": "2025-12-24"})",
         kOneScheduleText},
        {"add", R"({"name": "N", "url": "http://127.0.0.1/a", "once": "2025-01-01", "at": "10:00"})", kOnceInPastText},
        {"edit", R"({"name": "Gone", "length": "5"})", kNoSuchShowText.arg(u"Gone"_s)},
        {"edit", R"({"name": "Kept", "length": "0"})", range},
        {"remove", R"({"name": "Gone"})", kNoSuchShowText.arg(u"Gone"_s)},
        {"record", R"({"name": "Kept", "minutes": "0"})", range},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments);
        const ControlReply reply = run(c.command, json(c.arguments));
        EXPECT_EQ(reply.status, ControlStatus::Refused);
        // A message with a time in it is compared up to the time.
        EXPECT_TRUE(reply.message == c.message || reply.message.startsWith(c.message.section(u'%', 0, 0)))
            << reply.message.toStdString();
    }
    // A name longer than the editor's field takes.
    EXPECT_EQ(run("add", {{u"name"_s, QString(120, u'n')}, {u"url"_s, u"http://127.0.0.1/a"_s}}).message,
              kNameTooLongText.arg(119));
    EXPECT_EQ(showFile(), before);
    ASSERT_EQ(shows.size(), 1u);
}

TEST_F(InstanceControlTest, HostileNamesAreKeptWholeAndTheLaterEditWins)
{
    const QString names[] = {u"News/Weather \\ 50%"_s, u"\"Quoted\" 'show'"_s, u"<script>alert(1)</script><b>x</b>"_s,
                             u"Jazz \U0001F3B7 Nights \U0001F319"_s, QString(32, u'W')};
    for (const QString &name : names) {
        const ControlReply reply = run("add", {{u"name"_s, name}, {u"url"_s, u"http://127.0.0.1:8000/live"_s}});
        ASSERT_EQ(reply.status, ControlStatus::Done) << reply.message.toStdString();
        // The defaults: from the stream, FM quality, unscheduled, an hour.
        const QJsonObject show = reply.data.value("show"_L1).toObject();
        EXPECT_EQ(show.value("source"_L1).toString(), u"stream"_s);
        EXPECT_EQ(show.value("output"_L1).toString(), u"mp3-fm"_s);
        EXPECT_EQ(show.value("schedule"_L1).toString(), u"unscheduled"_s);
        EXPECT_EQ(show.value("length"_L1).toInt(), 60);
    }
    // Two clients edit one Show: the later save wins, the file stays whole.
    const QString name = names[3];
    QJsonObject first = json(R"({"weekly": "tue,sat", "at": "07:30", "length": "45"})");
    first.insert(u"name"_s, name);
    QJsonObject second = json(R"({"length": "20", "output": "wav", "mute": true})");
    second.insert(u"name"_s, name);
    ASSERT_EQ(run("edit", first).status, ControlStatus::Done);
    ASSERT_EQ(run("edit", second).status, ControlStatus::Done);
    EXPECT_EQ(showFile().size(), qsizetype(std::size(names) * kShowRecordSize));

    const ShowList again = reread();
    ASSERT_EQ(again.size(), std::size(names));
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_EQ(fieldText(again[i].name), names[i]);
    const QJsonArray listed = run("list", {}).data.value("shows"_L1).toArray();
    ASSERT_EQ(listed.size(), qsizetype(std::size(names)));
    const QJsonObject edited = listed[3].toObject();
    EXPECT_EQ(edited.value("name"_L1).toString(), name);
    EXPECT_EQ(edited.value("schedule"_L1).toString(), u"weekly"_s);
    EXPECT_EQ(edited.value("weekly"_L1).toArray(), QJsonArray({u"tue"_s, u"sat"_s}));
    EXPECT_EQ(edited.value("at"_L1).toString(), u"07:30"_s);
    EXPECT_EQ(edited.value("length"_L1).toInt(), 20);
    EXPECT_EQ(edited.value("output"_L1).toString(), u"wav"_s);
    EXPECT_TRUE(edited.value("mute"_L1).toBool());
    EXPECT_TRUE(edited.contains("next"_L1));
    EXPECT_EQ(again[3].flags & (OUT_MASK | SHOW_DAYS | OPT_MUTE), OUT_WAV | SHOW_TUE | SHOW_SAT | OPT_MUTE);

    ASSERT_EQ(run("remove", {{u"name"_s, names[0]}}).status, ControlStatus::Done);
    EXPECT_EQ(reread().size(), std::size(names) - 1);
}

TEST_F(InstanceControlTest, WithoutARunningInstanceRecordAndStopSayNothingRuns)
{
    ASSERT_EQ(run("add", json(R"({"name": "Kept", "url": "http://127.0.0.1/a"})")).status, ControlStatus::Done);
    EXPECT_EQ(run("record", json(R"({"name": "Kept"})")).status, ControlStatus::NothingRunning);
    EXPECT_EQ(run("stop", {}).status, ControlStatus::NothingRunning);
    // Over the wire: the answer's JSON, and a request that is not one.
    ControlReply reply;
    ASSERT_TRUE(
        controlReplyFromJson(answerControlJson(control, R"({"command":"record","arguments":{"name":"Kept"}})"), reply));
    EXPECT_EQ(reply.status, ControlStatus::NothingRunning);
    EXPECT_EQ(reply.message, kNothingRunsText);
    ASSERT_TRUE(controlReplyFromJson(answerControlJson(control, "not json"), reply));
    EXPECT_EQ(reply.status, ControlStatus::Refused);
}

} // namespace
