// The converters against the real tools: /bin/sh with a script, lame, sox.
#include "postprocess/audiofiles.h"
#include "support/eventloop.h"
#include "support/tempenv.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/processtree.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "postprocess/converters.h"
#include "postprocess/processrunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <memory>
#include <optional>

namespace skywell
{
namespace
{

using test::TempFolder;

// A name that a shell would take apart: quotes, blanks, $, backticks,
// semicolons and a line end.
const QString kNastyName = QStringLiteral("it's \"the\" $HOME `touch pwned` ; touch pwned2\nnext");

class ConvertersTest : public ::testing::Test
{
protected:
    ConvertersTest() : log(program.path(), clock)
    {
        settings.tempFolder = temp.path();
        settings.mp3Folder = recordings.path();
        // As the program does at start-up: orphans of the tools come to us.
        subreaper = becomeChildSubreaper();
    }

    Converters make(ToolLimits limits = {}, ToolPrograms programs = {})
    {
        return Converters(
            settings, program.path(), log, prompter, runner, [this] { return recording; },
            [this](const QString &text) { statuses << text; }, programs, limits);
    }

    void writeScript(const QString &body)
    {
        QFile file(program.file(QStringLiteral("custom.sh")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body.toUtf8());
    }

    QString logText() const { return QString::fromUtf8(test::readAll(log.filePath())); }

    // Runs the user's script and serves the event loop until it reports.
    static bool runCustom(Converters &converters, const QString &tempName, const QString &prefix)
    {
        auto result = std::make_shared<std::optional<bool>>();
        converters.runCustomConversion(tempName, prefix, [result](bool ok) { *result = ok; });
        EXPECT_TRUE(test::spinUntil([result] { return result->has_value(); }, 30000));
        return result->value_or(false);
    }

    int pidFrom(const QString &name) const
    {
        return QString::fromUtf8(test::readAll(program.file(name))).trimmed().toInt();
    }

    // An executable script in the program folder.
    QString writeTool(const QString &name, const QByteArray &body)
    {
        QFile file(program.file(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body);
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return file.fileName();
    }

    TempFolder program;
    TempFolder temp;
    TempFolder recordings;
    SystemClock clock;
    ActivityLog log;
    ScriptedPrompter prompter;
    Settings settings;
    ProcessRunner runner;
    std::optional<RecordingSpan> recording;
    QStringList statuses;
    bool subreaper = false;
};

// No such process, not even a zombie.
bool gone(int pid)
{
    return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
}

TEST_F(ConvertersTest, CustomScriptGetsBothArgumentsUnharmedAndIsWaitedFor)
{
    // The script sleeps, then records exactly what it was given.
    writeScript(QStringLiteral("sleep 3\nprintf '%s|%s' \"$1\" \"$2\" > \"$(dirname \"$0\")/args.txt\"\n"));
    const QString tempName = kNastyName + QStringLiteral(".wav");
    const QString prefix = QStringLiteral("-Show; rm -rf / $(id) `id`");
    Converters converters = make();

    // The script runs beside the event loop: timers go on meanwhile.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(100);
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_TRUE(runCustom(converters, tempName, prefix));
    EXPECT_GE(ticks, 10);
    EXPECT_GE(elapsed.elapsed(), 2900);
    EXPECT_LT(elapsed.elapsed(), 5000);

    EXPECT_EQ(QString::fromUtf8(test::readAll(program.file(QStringLiteral("args.txt")))),
              temp.path() + tempName + QLatin1Char('|') + prefix);
    for (const QString &folder : {program.path(), temp.path(), recordings.path(), QDir::currentPath() + u'/'}) {
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("pwned")));
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("pwned2")));
    }
    EXPECT_TRUE(logText().contains(QStringLiteral("Converting WAV using CUSTOM.BAT ") + temp.path() + tempName));
    EXPECT_TRUE(logText().contains(QStringLiteral("Converting to (prefix): ") + prefix));
}

TEST_F(ConvertersTest, CustomScriptThatNeverEndsIsStoppedWithWhatItStarted)
{
    // One child in the script's group, one that left it with setsid.
    writeScript(QStringLiteral("cd \"$(dirname \"$0\")\"\n"
                               "sleep 1000 &\necho $! > child.pid\n"
                               "setsid sleep 1001 &\necho $! > session.pid\n"
                               "wait\n"));
    Converters converters = make(ToolLimits{.customPolls = 2});

    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(runCustom(converters, QStringLiteral("a.wav"), QStringLiteral("a")));
    EXPECT_GE(elapsed.elapsed(), 1900);
    EXPECT_LT(elapsed.elapsed(), 6000);
    EXPECT_TRUE(logText().contains(QStringLiteral("Custom conversion automatically terminated after 10 minutes.")));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Error), 0);

    // What the script started went with it.
    EXPECT_TRUE(gone(pidFrom(QStringLiteral("child.pid"))));
    EXPECT_TRUE(gone(pidFrom(QStringLiteral("session.pid"))));
}

TEST_F(ConvertersTest, WhatAScriptLeavesRunningEndsWithIt)
{
    ASSERT_TRUE(subreaper);
    // The script returns at once; its children would run on for minutes.
    writeScript(QStringLiteral("cd \"$(dirname \"$0\")\"\n"
                               "sleep 300 &\necho $! > child.pid\n"
                               "setsid sleep 301 &\necho $! > session.pid\n"
                               "sh -c 'sleep 302 & echo $! > grandchild.pid' &\n"
                               "sleep 0.3\n"));
    Converters converters = make();
    EXPECT_TRUE(runCustom(converters, QStringLiteral("a.wav"), QStringLiteral("a")));
    for (const QString &name :
         {QStringLiteral("child.pid"), QStringLiteral("session.pid"), QStringLiteral("grandchild.pid")})
        EXPECT_TRUE(gone(pidFrom(name))) << qPrintable(name) << " " << pidFrom(name);
}

TEST_F(ConvertersTest, FailedToolsAreFailuresWithTheirErrorInTheLog)
{
    Converters converters = make();

    // Not an MP3 file, and no file at all: lame refuses both.
    const QString text = recordings.file(QStringLiteral("text.mp3"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("plain text, no audio\n");
    file.close();
    EXPECT_FALSE(converters.decodeMP3ToCDWav(text, recordings.file(QStringLiteral("text.wav"))));
    EXPECT_TRUE(logText().contains(QStringLiteral("MP3 decoder failed lame exited with code 255: ")));
    EXPECT_TRUE(logText().contains(QStringLiteral("Error reading headers in mp3 input file"))) << qPrintable(logText());
    EXPECT_FALSE(converters.decodeMP3ToCDWav(recordings.file(QStringLiteral("gone.mp3")),
                                             recordings.file(QStringLiteral("gone.wav"))));
    EXPECT_TRUE(logText().contains(QStringLiteral("Could not find"))) << qPrintable(logText());

    // No WAV file: sox refuses it.
    EXPECT_FALSE(converters.convertToCDWav(QStringLiteral("gone.wav"), QStringLiteral("out.wav")));
    EXPECT_TRUE(logText().contains(QStringLiteral("WAV Converter encoder failed sox exited with code 2: ")))
        << qPrintable(logText());
    EXPECT_TRUE(logText().contains(QStringLiteral("can't open input file")));
    EXPECT_EQ(QDir(recordings.path()).entryList(QDir::Files), QStringList{QStringLiteral("text.mp3")});

    // A converter that writes its file but then says it failed: the earlier
    // destination stays as it was.
    ASSERT_TRUE(test::makeWav(temp.file(QStringLiteral("in.wav")), 0.2));
    QFile old(recordings.file(QStringLiteral("out.wav")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    Converters failing =
        make({}, ToolPrograms{.wavConverter = writeTool(QStringLiteral("fake-sox"),
                                                        "for last; do :; done\necho data > \"$last\"\n"
                                                        "echo 'fake-sox: the disk went away' >&2\nexit 3\n")});
    EXPECT_FALSE(failing.convertToCDWav(QStringLiteral("in.wav"), QStringLiteral("out.wav")));
    EXPECT_TRUE(logText().contains(
        QStringLiteral("WAV Converter encoder failed fake-sox exited with code 3: fake-sox: the disk went away")))
        << qPrintable(logText());
    EXPECT_EQ(test::readAll(recordings.file(QStringLiteral("out.wav"))), QByteArray("old"));
    EXPECT_EQ(QDir(recordings.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("out.wav"), QStringLiteral("text.mp3")}));

    // A script that fails says so too.
    writeScript(QStringLiteral("echo 'no encoder here' >&2\nexit 4\n"));
    EXPECT_FALSE(runCustom(converters, QStringLiteral("a.wav"), QStringLiteral("a")));
    EXPECT_TRUE(logText().contains(
        QStringLiteral("custom.sh WAV file conversion failed custom.sh exited with code 4: no encoder here")))
        << qPrintable(logText());
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_F(ConvertersTest, MissingScriptOrToolsGiveTheirFailureMessages)
{
    Converters converters = make({}, ToolPrograms{.mp3Decoder = QStringLiteral("skywell-no-such-lame"),
                                                  .wavConverter = QStringLiteral("skywell-no-such-sox")});
    EXPECT_FALSE(runCustom(converters, QStringLiteral("a.wav"), QStringLiteral("a")));
    ASSERT_TRUE(test::makeWav(temp.file(QStringLiteral("in.wav")), 0.2));
    EXPECT_FALSE(converters.convertToCDWav(QStringLiteral("in.wav"), QStringLiteral("out.wav")));
    ASSERT_TRUE(test::makeMp3(recordings.file(QStringLiteral("song.mp3")), 0.5));
    EXPECT_FALSE(converters.decodeMP3ToCDWav(recordings.file(QStringLiteral("song.mp3")),
                                             recordings.file(QStringLiteral("song.wav"))));

    QStringList errors;
    for (const auto &prompt : prompter.prompts()) {
        EXPECT_EQ(prompt.caption, QStringLiteral("Skywell Error"));
        errors << prompt.text;
    }
    // A decoder that did not start leaves nothing to convert.
    // The script's failure goes to the recording's report, not into a box.
    EXPECT_EQ(errors, (QStringList{QStringLiteral("WAV Converter failed"), QStringLiteral("MP3 decoder failed")}));
    const QString text = logText();
    EXPECT_TRUE(text.contains(QStringLiteral("custom.sh WAV file conversion failed")));
    EXPECT_TRUE(text.contains(QStringLiteral("WAV Converter encoder failed skywell-no-such-sox")));
    EXPECT_TRUE(text.contains(QStringLiteral("MP3 decoder failed skywell-no-such-lame --decode -b 16 -m s")));
}

TEST_F(ConvertersTest, Mp3DecodesToCdFormatBesideItAndLeavesNoIntermediateFile)
{
    // A name that needs care in every tool, in a folder with a dot.
    QDir(recordings.path()).mkdir(QStringLiteral("v1.2"));
    const QString folder = recordings.path() + QStringLiteral("v1.2/");
    const QString mp3 = folder + kNastyName + QStringLiteral(".mp3");
    ASSERT_TRUE(test::makeMp3(mp3, 2.0, 22050, 1));
    const QString wav = folder + kNastyName + QStringLiteral(".wav");
    Converters converters = make();

    EXPECT_TRUE(converters.decodeMP3ToCDWav(mp3, wav));
    const std::optional<test::WavFormat> format = test::readWavFormat(wav);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->sampleRate, 44100);
    EXPECT_EQ(format->bitsPerSample, 16);
    EXPECT_EQ(format->channels, 2);
    // About two seconds of CD audio (the decoder adds a little padding).
    EXPECT_NEAR(static_cast<double>(format->dataBytes) / (44100 * 4), 2.0, 0.1);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{kNastyName + QStringLiteral(".mp3"), kNastyName + QStringLiteral(".wav")}));
    EXPECT_TRUE(logText().contains(QStringLiteral("Converting MP3 to WAV:  ") + mp3));
    EXPECT_TRUE(logText().contains(QStringLiteral("Converting WAV to CD Burner Quality ")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Converting WAV to CD Burner Quality")));
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_F(ConvertersTest, TracksKeptAsBroadcastDecodeToCdFormatBesideThem)
{
    struct Case {
        const char *extension;
        const char *logLine;
    };
    const Case cases[] = {{".aac", "Converting AAC to WAV:  "},
                          {".ogg", "Converting Ogg Vorbis to WAV:  "},
                          {".opus", "Converting Ogg Opus to WAV:  "}};
    Converters converters = make();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.extension);
        // A colon must not make the name pass for a protocol.
        const QString stem = recordings.path() + QStringLiteral("News: ") + kNastyName;
        const QString track = stem + QLatin1String(c.extension);
        const QString wav = stem + QStringLiteral(".wav");
        ASSERT_TRUE(test::makeBroadcastTrack(track, 2.5, QStringLiteral("News")));

        EXPECT_TRUE(converters.decodeForAudioCd(track, wav));
        const std::optional<test::WavFormat> format = test::readWavFormat(wav);
        ASSERT_TRUE(format);
        EXPECT_EQ(format->sampleRate, 44100);
        EXPECT_EQ(format->bitsPerSample, 16);
        EXPECT_EQ(format->channels, 2);
        EXPECT_NEAR(test::probeSeconds(wav), test::probeSeconds(track), 0.1);
        EXPECT_EQ(QDir(recordings.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{QFileInfo(track).fileName(), QFileInfo(wav).fileName()}));
        EXPECT_TRUE(logText().contains(QLatin1String(c.logLine) + track)) << qPrintable(logText());
        QFile::remove(track);
        QFile::remove(wav);
    }
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_F(ConvertersTest, LongRecordingInProgressMeansCopyInsteadOfConvert)
{
    ASSERT_TRUE(test::makeWav(temp.file(QStringLiteral("mono.wav")), 0.5, 22050, 1));
    const QByteArray original = test::readAll(temp.file(QStringLiteral("mono.wav")));
    QFile stale(recordings.file(QStringLiteral("cd.wav")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    Converters converters = make();

    recording = RecordingSpan{1'700'000'000, 1'700'000'000 + 4801};
    EXPECT_TRUE(converters.convertToCDWav(QStringLiteral("mono.wav"), QStringLiteral("cd.wav")));
    EXPECT_EQ(test::readAll(recordings.file(QStringLiteral("cd.wav"))), original);
    EXPECT_FALSE(logText().contains(QStringLiteral("Converting WAV to CD Burner Quality")));

    // Exactly 4800 seconds is not long: sox runs.
    recording = RecordingSpan{1'700'000'000, 1'700'000'000 + 4800};
    EXPECT_TRUE(converters.convertToCDWav(QStringLiteral("mono.wav"), QStringLiteral("cd.wav")));
    const auto format = test::readWavFormat(recordings.file(QStringLiteral("cd.wav")));
    ASSERT_TRUE(format);
    EXPECT_EQ(format->sampleRate, 44100);
    EXPECT_EQ(format->channels, 2);
    EXPECT_TRUE(logText().contains(QStringLiteral("Converting WAV to CD Burner Quality")));
}

TEST_F(ConvertersTest, ConvertingAFileOntoItselfKeepsItWhole)
{
    ASSERT_TRUE(test::makeWav(recordings.file(QStringLiteral("same.wav")), 1.0, 22050, 1));
    Converters converters = make();
    const QString path = recordings.file(QStringLiteral("same.wav"));
    EXPECT_TRUE(converters.convertToCDWav(path, path));
    const auto format = test::readWavFormat(path);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->sampleRate, 44100);
    EXPECT_NEAR(static_cast<double>(format->dataBytes) / (44100 * 4), 1.0, 0.05);
}

TEST(IntermediatePath, ReplacesTheCharacterBeforeTheFileNamesFirstDot)
{
    EXPECT_EQ(Converters::intermediatePath(QStringLiteral("/r/show.wav")), QStringLiteral("/r/sho~.wav"));
    EXPECT_EQ(Converters::intermediatePath(QStringLiteral("/r/sho~.wav")), QStringLiteral("/r/sho!.wav"));
    EXPECT_EQ(Converters::intermediatePath(QStringLiteral("/a.b/show.1.wav")), QStringLiteral("/a.b/sho~.1.wav"));
    EXPECT_EQ(Converters::intermediatePath(QStringLiteral("/a.b/noext")), QString());
    EXPECT_EQ(Converters::intermediatePath(QStringLiteral("/r/.wav")), QString());
}

TEST(ProcessRunnerWait, ServesPostedEventsButNoTimersWhileTheToolRuns)
{
    ProcessRunner runner(std::chrono::milliseconds(200));
    bool posted = false;
    bool timer = false;
    QObject context;
    QMetaObject::invokeMethod(
        &context, [&] { posted = true; }, Qt::QueuedConnection);
    QTimer::singleShot(10, &context, [&] { timer = true; });
    EXPECT_EQ(runner.run(ToolRun{QStringLiteral("sleep"), {QStringLiteral("1")}, 20, {}}).outcome,
              RunOutcome::Finished);
    EXPECT_TRUE(posted);
    EXPECT_FALSE(timer);
    EXPECT_EQ(runner.run(ToolRun{QStringLiteral("skywell-no-such-tool"), {}, 2, {}}).outcome, RunOutcome::NotStarted);
}

} // namespace
} // namespace skywell
