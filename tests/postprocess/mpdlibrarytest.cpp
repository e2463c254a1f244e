// The music library hand-off against the real mpd that test.sh starts
// (scripts/test-services/mpd.sh).
#include "postprocess/audiofiles.h"
#include "support/tempenv.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settingsstore.h"
#include "platform/mpdlibrary.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>
#include <mpd/client.h>

#include <memory>

namespace skywell
{
namespace
{

using test::TempFolder;

struct MpdService {
    QString host = qEnvironmentVariable("SKYWELL_TEST_MPD_HOST");
    int port = qEnvironmentVariableIntValue("SKYWELL_TEST_MPD_PORT");
    QString music = qEnvironmentVariable("SKYWELL_TEST_MPD_MUSIC");
};

// The songs MPD's database holds under a folder.
QStringList songsIn(const MpdService &mpd, const QString &folder)
{
    std::unique_ptr<mpd_connection, decltype(&mpd_connection_free)> connection(
        mpd_connection_new(mpd.host.toUtf8().constData(), static_cast<unsigned>(mpd.port), 5000), mpd_connection_free);
    QStringList songs;
    if (!connection || mpd_connection_get_error(connection.get()) != MPD_ERROR_SUCCESS)
        return songs;
    if (!mpd_send_list_all(connection.get(), folder.toUtf8().constData()))
        return songs;
    while (mpd_entity *entity = mpd_recv_entity(connection.get())) {
        if (mpd_entity_get_type(entity) == MPD_ENTITY_TYPE_SONG)
            songs << QString::fromUtf8(mpd_song_get_uri(mpd_entity_get_song(entity)));
        mpd_entity_free(entity);
    }
    mpd_response_finish(connection.get());
    songs.sort();
    return songs;
}

class MpdLibraryTest : public ::testing::Test
{
protected:
    MpdLibraryTest() : settingsStore(config.path(), machine.path()), log(program.path(), clock) {}

    void SetUp() override
    {
        ASSERT_FALSE(mpd.host.isEmpty() || mpd.port == 0 || mpd.music.isEmpty())
            << "SKYWELL_TEST_MPD_HOST/PORT/MUSIC are not set: run the tests through ./test.sh, which starts mpd "
               "(scripts/test-services/mpd.sh)";
        settingsStore.writeString(MusicLibraryNames::host, mpd.host, SettingsGroup::Program);
        settingsStore.writeInt(MusicLibraryNames::port, mpd.port, SettingsGroup::Program);
        settingsStore.writeString(MusicLibraryNames::folder, mpd.music, SettingsGroup::Program);
        settingsStore.writeString(MusicLibraryNames::subfolder, subfolder, SettingsGroup::Program);
    }

    MpdService mpd;
    const QString subfolder = QStringLiteral("skywell-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    TempFolder config;
    TempFolder machine;
    TempFolder program;
    TempFolder recordings;
    SettingsStore settingsStore;
    SystemClock clock;
    ActivityLog log;
};

TEST_F(MpdLibraryTest, AddedTracksAppearInMpdsDatabase)
{
    const QStringList names{QStringLiteral("Morning \"Show\" $1.mp3"), QStringLiteral("Evening; `news`.mp3")};
    for (const QString &name : names)
        ASSERT_TRUE(test::makeMp3(recordings.file(name), 1.0));

    MpdLibrary library(settingsStore, log);
    EXPECT_TRUE(library.isMusicLibraryInstalled());
    ASSERT_TRUE(library.openMusicLibrary());
    for (const QString &name : names)
        library.addToMusicLibrary(recordings.file(name));
    library.closeMusicLibrary();

    QStringList expected;
    for (const QString &name : names) {
        expected << subfolder + QLatin1Char('/') + name;
        EXPECT_TRUE(QFileInfo::exists(mpd.music + subfolder + QLatin1Char('/') + name));
        EXPECT_TRUE(QFileInfo::exists(recordings.file(name))) << "the recording itself stays";
    }
    expected.sort();
    QElapsedTimer waited;
    waited.start();
    QStringList songs;
    while ((songs = songsIn(mpd, subfolder)) != expected && waited.elapsed() < 15000)
        QThread::msleep(100);
    EXPECT_EQ(songs.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
}

TEST_F(MpdLibraryTest, NotInstalledWithoutAHostOrWhenNothingAnswers)
{
    MpdLibrary library(settingsStore, log);
    settingsStore.writeString(MusicLibraryNames::host, QString(), SettingsGroup::Program);
    EXPECT_FALSE(library.isMusicLibraryInstalled());
    EXPECT_FALSE(library.openMusicLibrary());
    library.addToMusicLibrary(recordings.file(QStringLiteral("none.mp3"))); // no connection: nothing happens

    // Port 1: nothing listens there.
    settingsStore.writeString(MusicLibraryNames::host, mpd.host, SettingsGroup::Program);
    settingsStore.writeInt(MusicLibraryNames::port, 1, SettingsGroup::Program);
    EXPECT_FALSE(library.isMusicLibraryInstalled());
}

} // namespace
} // namespace skywell
