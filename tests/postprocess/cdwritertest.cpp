// The CD writer starter against the real helper program skywell-cdwrite,
// writing image files that cdrdao and isoinfo read back.
#include "postprocess/audiofiles.h"
#include "support/tempenv.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settingsstore.h"
#include "postprocess/cdwriter.h"
#include "postprocess/processrunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>

namespace skywell
{
namespace
{

using test::ScopedEnv;
using test::TempFolder;

// A folder that takes only 256 KiB: a tmpfs of that size, or where this
// process may not mount, a file size limit that the helper inherits.
class SmallFolder
{
public:
    explicit SmallFolder(const QString &path) : m_path(path)
    {
        QDir().mkpath(path);
        m_mounted = ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, "size=256k") == 0;
        if (m_mounted)
            return;
        ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
        const rlimit limit{256 * 1024, m_oldLimit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~SmallFolder()
    {
        if (m_mounted) {
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
            return;
        }
        ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    SmallFolder(const SmallFolder &) = delete;
    SmallFolder &operator=(const SmallFolder &) = delete;

    // What the system says when the folder is full.
    QString reason() const { return QString::fromLocal8Bit(std::strerror(m_mounted ? ENOSPC : EFBIG)); }

private:
    QString m_path;
    bool m_mounted = false;
    rlimit m_oldLimit{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

QString helperPath()
{
    // The helper is built into the build folder's top, one level above the
    // test program.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../skywell-cdwrite"));
}

class CdWriterTest : public ::testing::Test
{
protected:
    CdWriterTest()
        : configEnv("XDG_CONFIG_HOME", config.path().toUtf8()),
          machineEnv("SKYWELL_MACHINE_CONFIG", machine.path().toUtf8()), settingsStore(config.path(), machine.path()),
          log(program.path(), clock), runner(std::chrono::milliseconds(100)),
          writer(
              program.path(), settingsStore, log, prompter, runner, [this](const QString &text) { statuses << text; },
              ToolPrograms{.cdWriter = helperPath()})
    {
        settingsStore.writeInt(QStringLiteral("WriteImage"), 1, SettingsGroup::CdWrite);
        settingsStore.writeString(QStringLiteral("ImageFolder"), images.path(), SettingsGroup::CdWrite);
    }

    void SetUp() override { ASSERT_TRUE(QFileInfo(helperPath()).isExecutable()) << qPrintable(helperPath()); }

    QStringList imageFiles(const QString &suffix) const
    {
        return QDir(images.path()).entryList({QStringLiteral("*.") + suffix}, QDir::Files);
    }
    QString errorMsg() const { return settingsStore.readString(QStringLiteral("ErrorMsg"), SettingsGroup::CdWrite); }
    QString logText() const { return QString::fromUtf8(test::readAll(log.filePath())); }

    TempFolder config;
    TempFolder machine;
    TempFolder program;
    TempFolder sources;
    TempFolder images;
    ScopedEnv configEnv;
    ScopedEnv machineEnv;
    SettingsStore settingsStore;
    SystemClock clock;
    ActivityLog log;
    ScriptedPrompter prompter;
    ProcessRunner runner;
    QStringList statuses;
    CdWriter writer;
};

TEST_F(CdWriterTest, ThreeWavTracksMakeACueBinImageThatReadsBackRight)
{
    // Lengths in samples: short of 4 s (padded to 4 s), whole sectors, and
    // one sample past a sector.
    const QStringList names{QStringLiteral("one \"quoted\" $HOME.wav"), QStringLiteral("two `id`; rm x.wav"),
                            QStringLiteral("three\nlines.wav")};
    const QList<qint64> samples{3 * 44100, 588 * 400, 588 * 500 + 1};
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        paths << sources.file(names[i]);
        ASSERT_TRUE(test::makeWav(paths[i], samples[i] / 44100.0));
        ASSERT_EQ(test::readWavFormat(paths[i])->dataBytes, samples[i] * 4);
    }

    QString result;
    EXPECT_TRUE(writer.burnCDFromTracks(paths.join(QLatin1Char('?')), false, &result));
    EXPECT_EQ(result, QStringLiteral("Success"));
    EXPECT_EQ(errorMsg(), QStringLiteral("Success"));
    EXPECT_TRUE(logText().contains(QStringLiteral("Burning CD from tracks")));
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("Burning CD"), QString()}));

    const QStringList cues = imageFiles(QStringLiteral("cue"));
    ASSERT_EQ(cues.size(), 1);
    const QList<qint64> sectors{300, 400, 501};
    const QString cue = QString::fromUtf8(test::readAll(images.file(cues.first())));
    const QRegularExpression index(QStringLiteral("TRACK (\\d\\d) AUDIO\\s+INDEX 01 (\\d\\d):(\\d\\d):(\\d\\d)"));
    QList<qint64> starts;
    for (auto it = index.globalMatch(cue); it.hasNext();) {
        const auto m = it.next();
        EXPECT_EQ(m.captured(1).toInt(), starts.size() + 1);
        starts << (m.captured(2).toInt() * 60 + m.captured(3).toInt()) * 75 + m.captured(4).toInt();
    }
    EXPECT_EQ(starts, (QList<qint64>{0, 300, 700}));
    const QString bin = images.file(imageFiles(QStringLiteral("bin")).value(0));
    EXPECT_EQ(QFileInfo(bin).size(), (300 + 400 + 501) * 2352);

    // The second track starts in the image exactly where the cue says, with
    // the WAV file's own samples.
    QFile image(bin);
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    image.seek(300 * 2352);
    const QByteArray wav = test::readAll(paths[1]);
    EXPECT_EQ(image.read(4096), wav.right(samples[1] * 4).left(4096));

    // cdrdao reads the image back with the same tracks.
    QProcess cdrdao;
    cdrdao.setWorkingDirectory(images.path());
    cdrdao.setProcessChannelMode(QProcess::MergedChannels);
    cdrdao.start(QStringLiteral("cdrdao"), {QStringLiteral("show-toc"), cues.first()});
    ASSERT_TRUE(cdrdao.waitForFinished(30000));
    const QString toc = QString::fromUtf8(cdrdao.readAll());
    EXPECT_EQ(toc.count(QStringLiteral("Mode AUDIO")), 3) << qPrintable(toc);
    EXPECT_TRUE(toc.contains(QStringLiteral("END    00:16:01(  1201)"))) << qPrintable(toc);
}

TEST_F(CdWriterTest, ThreeMp3FilesWithDataMarkMakeAnIsoImage)
{
    const QStringList names{QStringLiteral("it's \"one\".mp3"), QStringLiteral("two $PATH `id`.mp3"),
                            QStringLiteral("three; echo\nx.mp3")};
    QStringList paths;
    for (const QString &name : names) {
        paths << sources.file(name);
        ASSERT_TRUE(test::makeMp3(paths.last(), 0.5));
    }
    QString result;
    EXPECT_TRUE(writer.burnCDFromTracks(paths.join(QLatin1Char('?')), true, &result));
    EXPECT_EQ(result, QStringLiteral("Success"));

    const QStringList isos = imageFiles(QStringLiteral("iso"));
    ASSERT_EQ(isos.size(), 1);
    QString listing;
    ASSERT_TRUE(test::runTool(QStringLiteral("isoinfo"),
                              {QStringLiteral("-R"), QStringLiteral("-f"), QStringLiteral("-i"), images.file(isos[0])},
                              &listing));
    // One path a line; the names come back whole, the line end included.
    EXPECT_EQ(listing.count(QLatin1Char('\n')), 4) << qPrintable(listing);
    for (const QString &name : names)
        EXPECT_TRUE(listing.contains(QLatin1Char('/') + name + QLatin1Char('\n'))) << qPrintable(listing);
}

TEST_F(CdWriterTest, AnImageThatDoesNotFitItsFolderFailsWithTheReasonAndLeavesNothing)
{
    // Five seconds of CD audio: 882000 bytes, more than the folder takes.
    const QString wav = sources.file(QStringLiteral("five.wav"));
    ASSERT_TRUE(test::makeWav(wav, 5.0));
    const QString folder = images.path() + QStringLiteral("small/");
    SmallFolder small(folder);
    settingsStore.writeString(QStringLiteral("ImageFolder"), folder, SettingsGroup::CdWrite);

    QString result;
    EXPECT_FALSE(writer.burnCDFromTracks(wav, false, &result));
    EXPECT_TRUE(result.startsWith(QStringLiteral("Cannot write the image file ") + folder)) << qPrintable(result);
    EXPECT_TRUE(result.endsWith(QStringLiteral(".bin: ") + small.reason())) << qPrintable(result);
    EXPECT_EQ(errorMsg(), result);
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << qPrintable(QDir(folder).entryList(QDir::Files | QDir::Hidden).join(u' '));

    // The helper itself ends with a failure status and says why.
    QString output;
    EXPECT_FALSE(test::runTool(helperPath(), {wav}, &output));
    EXPECT_TRUE(output.contains(small.reason())) << qPrintable(output);
    EXPECT_FALSE(output.contains(QStringLiteral("Written:"))) << qPrintable(output);
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(CdWriterTest, ADataCdLargerThanACdIsRefusedWithBothSizes)
{
    // Sparse files: nothing of their size is written or read.
    const auto sparse = [this](const QString &name, qint64 bytes) {
        QFile file(sources.file(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_TRUE(file.resize(bytes));
        return file.fileName();
    };
    const QString big = sparse(QStringLiteral("big.mp3"), 900LL << 20);
    QString result;
    EXPECT_FALSE(writer.burnCDFromTracks(big, true, &result));
    EXPECT_EQ(result, QStringLiteral("The files make a data CD image of 944 MB; a CD holds at most 737 MB."));

    // Files that fit one by one but not together.
    const QString half = sparse(QStringLiteral("half.mp3"), 400LL << 20);
    const QString other = sparse(QStringLiteral("other.mp3"), 400LL << 20);
    EXPECT_FALSE(writer.burnCDFromTracks(half + QLatin1Char('?') + other, true, &result));
    EXPECT_EQ(result, QStringLiteral("The files make a data CD image of 839 MB; a CD holds at most 737 MB."));
    EXPECT_EQ(errorMsg(), result);
    EXPECT_TRUE(imageFiles(QStringLiteral("*")).isEmpty());
}

TEST_F(CdWriterTest, WithoutADriveTheHelperSaysSoAndTheRunFails)
{
    settingsStore.writeInt(QStringLiteral("WriteImage"), 0, SettingsGroup::CdWrite);
    settingsStore.writeString(QStringLiteral("Device"), QStringLiteral("/dev/skywell-no-such-drive"),
                              SettingsGroup::CdWrite);
    const QString wav = sources.file(QStringLiteral("a.wav"));
    ASSERT_TRUE(test::makeWav(wav, 4.0));

    QString result;
    EXPECT_FALSE(writer.runCDWriter(wav, &result));
    EXPECT_TRUE(result.contains(QStringLiteral("The CD drive /dev/skywell-no-such-drive was not found")))
        << qPrintable(result);
    EXPECT_EQ(errorMsg(), result);
    EXPECT_TRUE(imageFiles(QStringLiteral("*")).isEmpty());

    // Something that is no CD writer: wodim and xorriso refuse it.
    settingsStore.writeString(QStringLiteral("Device"), QStringLiteral("/dev/null"), SettingsGroup::CdWrite);
    const QString mp3 = sources.file(QStringLiteral("a.mp3"));
    ASSERT_TRUE(test::makeMp3(mp3, 0.5));
    for (const QString &list : {wav, mp3 + QStringLiteral("?/data")}) {
        EXPECT_FALSE(writer.runCDWriter(list, &result));
        EXPECT_TRUE(result.startsWith(QStringLiteral("The CD drive /dev/null cannot be used for writing")))
            << qPrintable(result);
    }
}

TEST_F(CdWriterTest, BadListsAreRefusedWithAClearText)
{
    const QString wav = sources.file(QStringLiteral("mono.wav"));
    ASSERT_TRUE(test::makeWav(wav, 4.0, 22050, 1));
    QString result;
    EXPECT_FALSE(writer.runCDWriter(sources.file(QStringLiteral("gone.wav")), &result));
    EXPECT_EQ(result, QStringLiteral("File not found: ") + sources.file(QStringLiteral("gone.wav")));
    EXPECT_FALSE(writer.runCDWriter(wav, &result));
    EXPECT_TRUE(result.startsWith(QStringLiteral("Not an audio CD file (WAV, 44.1 kHz, 16-bit, stereo)")));
    EXPECT_FALSE(writer.runCDWriter(QStringLiteral("?/data"), &result));
    EXPECT_EQ(result, QStringLiteral("No files were given to write to the CD."));

    // A list too long for the helper is not cut inside a path: it is refused
    // before the helper runs.
    settingsStore.writeString(QStringLiteral("ErrorMsg"), QStringLiteral("untouched"), SettingsGroup::CdWrite);
    QStringList many;
    while (many.join(QLatin1Char('?')).size() <= CdWriter::kMaxArgumentLength)
        many << wav;
    EXPECT_FALSE(writer.burnCDFromTracks(many.join(QLatin1Char('?')), false, &result));
    EXPECT_TRUE(result.startsWith(QStringLiteral("The list of files for the CD is too long"))) << qPrintable(result);
    EXPECT_EQ(errorMsg(), QStringLiteral("untouched"));
    EXPECT_TRUE(imageFiles(QStringLiteral("*")).isEmpty());
}

TEST_F(CdWriterTest, MissingToolsAreReportedNotCrashedOn)
{
    const QString mp3 = sources.file(QStringLiteral("a.mp3"));
    ASSERT_TRUE(test::makeMp3(mp3, 0.5));
    QString result;
    {
        ScopedEnv noTools("PATH", "/nonexistent");
        EXPECT_FALSE(writer.burnCDFromTracks(mp3, true, &result));
    }
    EXPECT_EQ(result, QStringLiteral("The CD writing program \"xorriso\" is not installed (Debian package xorriso)."));

    CdWriter missing(program.path(), settingsStore, log, prompter, runner, {},
                     ToolPrograms{.cdWriter = program.file(QStringLiteral("no-such-cdwrite"))});
    result = QStringLiteral("unchanged");
    EXPECT_FALSE(missing.burnCDFromTracks(mp3, true, &result));
    EXPECT_EQ(result, QStringLiteral("unchanged"));
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].text, QStringLiteral("CD Burner failed"));
    EXPECT_EQ(prompter.prompts()[0].caption, QStringLiteral("Skywell Error"));
    EXPECT_TRUE(logText().contains(QStringLiteral("CDWrite failed ") + mp3 + QStringLiteral("?/data")));
}

TEST_F(CdWriterTest, SetUpWithoutADesktopExplainsTheCommandLineSetUp)
{
    ScopedEnv noDisplay("DISPLAY", "");
    EXPECT_FALSE(writer.setupCDBurner());
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].caption, QStringLiteral("Skywell"));
    EXPECT_TRUE(prompter.prompts()[0].text.startsWith(QStringLiteral("The CD writer set-up needs a desktop.")));
    EXPECT_EQ(statuses, QStringList{QString()});

    // The command-line set-up stores the choice and reports success.
    const QString folder = images.path() + QStringLiteral("other/");
    QProcess setup;
    setup.start(helperPath(), {QStringLiteral("--write-image"), QStringLiteral("yes"), QStringLiteral("--image-folder"),
                               folder, QStringLiteral("--device"), QStringLiteral("/dev/sr7")});
    ASSERT_TRUE(setup.waitForFinished(30000));
    EXPECT_EQ(setup.exitCode(), 0);
    EXPECT_EQ(errorMsg(), QStringLiteral("Success"));
    EXPECT_EQ(settingsStore.readString(QStringLiteral("ImageFolder"), SettingsGroup::CdWrite), folder);
    EXPECT_EQ(settingsStore.readString(QStringLiteral("Device"), SettingsGroup::CdWrite), QStringLiteral("/dev/sr7"));
}

TEST_F(CdWriterTest, AHelperThatHangsIsStoppedAndOneThatSaysNothingIsNoSuccess)
{
    const auto fakeHelper = [this](const QString &name, const QByteArray &body) {
        QFile file(program.file(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body);
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return file.fileName();
    };
    settingsStore.writeString(QStringLiteral("ErrorMsg"), QStringLiteral("Success"), SettingsGroup::CdWrite);
    CdWriter silent(program.path(), settingsStore, log, prompter, runner, {},
                    ToolPrograms{.cdWriter = fakeHelper(QStringLiteral("silent"), "exit 0\n")});
    QString result;
    EXPECT_FALSE(silent.runCDWriter(QStringLiteral("/a.wav"), &result));
    EXPECT_EQ(result, QStringLiteral("The CD writer ended without reporting a result."));

    CdWriter hanging(
        program.path(), settingsStore, log, prompter, runner, [this](const QString &text) { statuses << text; },
        ToolPrograms{.cdWriter = fakeHelper(QStringLiteral("hanging"), "sleep 100\n")}, ToolLimits{.cdWriterPolls = 3});
    EXPECT_FALSE(hanging.burnCDFromTracks(QStringLiteral("/a.wav"), false, &result));
    EXPECT_EQ(result, QStringLiteral("CDWrite timed out. The CD was not burned successfully."));
    EXPECT_TRUE(logText().contains(QStringLiteral("CDWrite closed after 400 minutes")));
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("Burning CD"), QString()}));
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

} // namespace
} // namespace skywell
