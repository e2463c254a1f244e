#include "shows/showfile.h"

#include "showtesthelpers.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <cstring>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace skywell::test
{
namespace
{

QByteArray bytesOf(const Show &show)
{
    return QByteArray(reinterpret_cast<const char *>(&show), static_cast<qsizetype>(kShowRecordSize));
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(data), data.size());
}

std::int32_t int32At(const QByteArray &data, qsizetype offset)
{
    std::int32_t v;
    std::memcpy(&v, data.constData() + offset, 4);
    return v;
}

// A record whose every byte is known: the offset's low byte, with the
// texts filled to the last byte (no NUL).
QByteArray patternRecord(unsigned char salt)
{
    QByteArray record(static_cast<qsizetype>(kShowRecordSize), '\0');
    for (qsizetype i = 0; i < record.size(); ++i)
        record[i] = static_cast<char>((i + salt) & 0xff);
    return record;
}

TEST(ShowRecord, NewShowDefaults)
{
    const std::int16_t before = peekNextSerial();
    Show a;
    Show b;
    EXPECT_EQ(a.serial, before);
    EXPECT_EQ(b.serial, static_cast<std::int16_t>(before + 1));
    const QByteArray bytes = bytesOf(a);
    EXPECT_EQ(int32At(bytes, 0), 1);
    EXPECT_EQ(bytes.mid(4, 9), QByteArray("New Show\0", 9));
    EXPECT_EQ(bytes.mid(132, 8), QByteArray("http://\0", 8));
    EXPECT_EQ(int32At(bytes, 912), 0x141f);
    EXPECT_EQ(bytes.mid(977, 8), QByteArray(8, '\xff'));
    // Everything else is zero.
    QByteArray rest = bytes;
    rest.replace(0, 4, QByteArray(4, '\0'));
    rest.replace(4, 8, QByteArray(8, '\0'));
    rest.replace(132, 7, QByteArray(7, '\0'));
    rest.replace(912, 4, QByteArray(4, '\0'));
    rest.replace(952, 2, QByteArray(2, '\0'));
    rest.replace(977, 8, QByteArray(8, '\0'));
    EXPECT_EQ(rest, QByteArray(static_cast<qsizetype>(kShowRecordSize), '\0'));
    EXPECT_TRUE(a.isRepeating());
}

TEST(ShowRecord, ScheduleKinds)
{
    Show show;
    show.flags = SHOW_REPEATING;
    EXPECT_TRUE(show.isUnscheduled()) << "repeating without a day counts as unscheduled";
    show.flags = SHOW_UNSCHEDULED | SHOW_REPEATING | SHOW_MON;
    EXPECT_TRUE(show.isUnscheduled());
    EXPECT_FALSE(show.isRepeating());
    show.flags = OUT_WAV;
    EXPECT_TRUE(show.isOnce());
}

TEST(ShowRecord, TextFieldsAreReadWithinTheirSizeAndCutOnCharacters)
{
    Show show;
    std::memset(show.recordSource, 'x', sizeof show.recordSource); // no NUL at all
    EXPECT_EQ(fieldBytes(show.recordSource).size(), 28);
    // 64 two-byte characters = 128 bytes: only 63 fit before the NUL.
    setFieldText(show.name, QString(64, QChar(0xe9)));
    EXPECT_EQ(fieldBytes(show.name).size(), 126);
    EXPECT_EQ(fieldText(show.name), QString(63, QChar(0xe9)));
    EXPECT_EQ(show.name[126], '\0');
    EXPECT_EQ(show.name[127], '\0');
}

TEST(ShowFile, RoundTripOfTwoRecordsChangesOnlySerialAndOffset956)
{
    TempFolder folder;
    const QByteArray original = patternRecord(3) + patternRecord(77);
    writeFile(folder.file(kShowFileName), original);

    ShowList shows;
    const std::int16_t firstSerial = peekNextSerial();
    ASSERT_TRUE(loadShows(shows, folder.path()));
    ASSERT_EQ(shows.size(), 2u);
    EXPECT_EQ(shows[0].serial, firstSerial);
    EXPECT_EQ(shows[1].serial, static_cast<std::int16_t>(firstSerial + 1));
    EXPECT_EQ(shows[0].reserved956, -1);
    EXPECT_EQ(shows[1].reserved956, -1);

    ASSERT_TRUE(saveShows(shows, folder.path()));
    const QByteArray saved = readAll(folder.file(kShowFileName));
    ASSERT_EQ(saved.size(), 2104);
    for (int r = 0; r < 2; ++r) {
        const qsizetype base = r * 1052;
        for (qsizetype i = 0; i < 1052; ++i) {
            if (i >= 952 && i < 954)
                continue;
            if (i >= 956 && i < 960)
                EXPECT_EQ(saved[base + i], '\xff') << "record " << r << " byte " << i;
            else
                EXPECT_EQ(saved[base + i], original[base + i]) << "record " << r << " byte " << i;
        }
        std::int16_t serial;
        std::memcpy(&serial, saved.constData() + base + 952, 2);
        EXPECT_EQ(serial, shows[static_cast<std::size_t>(r)].serial);
    }
}

TEST(ShowFile, TrailingPartialRecordKeepsNewShowDefaults)
{
    TempFolder folder;
    const QByteArray full = patternRecord(5);
    QByteArray partial(100, 'N');
    partial.replace(0, 4, QByteArray("\x07\x00\x00\x00", 4));
    writeFile(folder.file(kShowFileName), full + partial);

    ShowList shows;
    ASSERT_TRUE(loadShows(shows, folder.path()));
    ASSERT_EQ(shows.size(), 2u);
    const Show &second = shows[1];
    EXPECT_EQ(second.reserved0, 7);
    // The first 96 bytes of the name come from the file, the rest keep the
    // default ("New Show" was overwritten; its tail is zero).
    EXPECT_EQ(fieldBytes(second.name), QByteArray(96, 'N'));
    EXPECT_EQ(fieldText(second.url), QStringLiteral("http://"));
    EXPECT_EQ(second.flags, 0x141fu);
    for (std::uint8_t minute : second.splitAtMinute)
        EXPECT_EQ(minute, 255);
    EXPECT_EQ(second.reserved956, -1);

    ASSERT_TRUE(saveShows(shows, folder.path()));
    EXPECT_EQ(readAll(folder.file(kShowFileName)).size(), 2104) << "a saved file holds whole records only";
}

TEST(ShowFile, EmptyAndMissingFiles)
{
    TempFolder folder;
    ShowList shows;
    EXPECT_FALSE(loadShows(shows, folder.path())) << "no file: false, list unchanged";
    EXPECT_TRUE(shows.empty());

    writeFile(folder.file(kShowFileName), QByteArray());
    EXPECT_TRUE(loadShows(shows, folder.path()));
    EXPECT_TRUE(shows.empty());

    ASSERT_TRUE(saveShows(shows, folder.path()));
    EXPECT_TRUE(QFile::exists(folder.file(kShowFileName)));
    EXPECT_EQ(QFileInfo(folder.file(kShowFileName)).size(), 0);
}

TEST(ShowFile, LoadAppendsToTheList)
{
    TempFolder folder;
    writeFile(folder.file(kShowFileName), patternRecord(1));
    ShowList shows(1);
    ASSERT_TRUE(loadShows(shows, folder.path()));
    ASSERT_EQ(shows.size(), 2u);
    EXPECT_EQ(fieldText(shows[0].name), QStringLiteral("New Show"));
}

TEST(ShowFile, GarbageBytesLoadAndSaveWithoutHarm)
{
    TempFolder folder;
    std::mt19937 random(12345);
    for (int size : {1, 4, 1051, 1052, 1053, 3 * 1052 + 517}) {
        QByteArray garbage(size, '\0');
        for (char &c : garbage)
            c = static_cast<char>(random());
        writeFile(folder.file(kShowFileName), garbage);
        ShowList shows;
        ASSERT_TRUE(loadShows(shows, folder.path()));
        EXPECT_EQ(shows.size(), static_cast<std::size_t>((size + 1051) / 1052));
        for (const Show &show : shows) {
            EXPECT_LE(fieldBytes(show.name).size(), 128);
            EXPECT_LE(fieldBytes(show.url).size(), 512);
            EXPECT_LE(fieldBytes(show.lastStatus).size(), 256);
            EXPECT_LE(fieldBytes(show.recordSource).size(), 28);
        }
        ASSERT_TRUE(saveShows(shows, folder.path()));
        EXPECT_EQ(readAll(folder.file(kShowFileName)).size(), static_cast<qsizetype>(shows.size() * 1052));
    }
}

// Makes writes beyond `bytes` fail (EFBIG) for the life of the object, as
// a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

TEST(ShowFile, FailedWriteLeavesTheOldFileIntact)
{
    TempFolder folder;
    const QByteArray original = patternRecord(9) + patternRecord(10);
    writeFile(folder.file(kShowFileName), original);

    ShowList shows(5);
    bool saved = true;
    {
        FileSizeLimit limit(3000);
        ASSERT_TRUE(limit.ok());
        saved = saveShows(shows, folder.path());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readAll(folder.file(kShowFileName)), original);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{kShowFileName})
        << "no temporary file is left behind";

    // With room again the same list is written whole.
    ASSERT_TRUE(saveShows(shows, folder.path()));
    EXPECT_EQ(readAll(folder.file(kShowFileName)).size(), 5 * 1052);
}

TEST(ShowFile, OnlyRegularFilesOfSaneSizeAreRead)
{
    TempFolder folder;
    auto refusal = [](const QString &path) {
        ShowList shows(1);
        QString problem;
        EXPECT_EQ(loadShowFile(shows, path, &problem), ShowFileLoad::Refused) << path.toStdString();
        EXPECT_EQ(shows.size(), 1u) << "the list is left as it was";
        return problem;
    };

    // A FIFO without a writer would block an ordinary open for ever.
    const QString fifo = folder.file(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(refusal(fifo), QStringLiteral("it is a named pipe (FIFO)"));
    // A link to a device that never ends.
    const QString zero = folder.file(QStringLiteral("zero"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    EXPECT_EQ(refusal(zero), QStringLiteral("it is a device"));
    EXPECT_EQ(refusal(folder.path()), QStringLiteral("it is a folder"));
    // A dangling link is something, not a first start.
    const QString dangling = folder.file(QStringLiteral("dangling"));
    ASSERT_TRUE(QFile::link(folder.file(QStringLiteral("nothing")), dangling));
    EXPECT_EQ(refusal(dangling), QStringLiteral("No such file or directory"));

    // Absurd size: refused unread (the file is sparse).
    const QString huge = folder.file(QStringLiteral("huge"));
    writeFile(huge, patternRecord(1));
    ASSERT_TRUE(QFile::resize(huge, kMaxShowFileBytes + 1));
    EXPECT_TRUE(refusal(huge).startsWith(QStringLiteral("it is larger than a show list can be")));
    // The largest allowed size still loads.
    ASSERT_TRUE(QFile::resize(huge, kMaxShowFileBytes));
    ShowList shows;
    EXPECT_EQ(loadShowFile(shows, huge), ShowFileLoad::Loaded);
    EXPECT_EQ(shows.size(), static_cast<std::size_t>((kMaxShowFileBytes + 1051) / 1052));

    ShowList none;
    EXPECT_EQ(loadShowFile(none, folder.file(QStringLiteral("absent"))), ShowFileLoad::Missing);
}

TEST(ShowFile, FailedSaveGivesTheSystemsReason)
{
    TempFolder folder;
    ASSERT_TRUE(QDir().mkpath(folder.file(QStringLiteral("Skywell5.dat/inside"))));
    QString problem;
    EXPECT_FALSE(saveShowFile(ShowList(1), folder.file(kShowFileName), &problem));
    EXPECT_EQ(problem, QStringLiteral("Is a directory"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList()) << "no temporary file is left behind";

    writeFile(folder.file(QStringLiteral("plain")), "x");
    EXPECT_FALSE(saveShowFile(ShowList(1), folder.file(QStringLiteral("plain/Skywell5.dat")), &problem));
    EXPECT_EQ(problem, QStringLiteral("Not a directory"));
}

TEST(ShowFile, UnwritableFolderFailsWithoutTouchingAnything)
{
    TempFolder folder;
    ShowList shows(1);
    EXPECT_FALSE(saveShows(shows, folder.path() + QStringLiteral("missing/")));
}

} // namespace
} // namespace skywell::test
