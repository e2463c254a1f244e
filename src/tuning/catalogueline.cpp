#include "tuning/catalogueline.h"

#include "core/textcut.h"
#include "shows/localtime.h"
#include "shows/show.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace skywell
{

QString catalogueFileName(CatalogueMode mode)
{
    return mode == CatalogueMode::Show ? QStringLiteral("shows.txt") : QStringLiteral("stations.txt");
}

QString catalogueTitle(CatalogueMode mode)
{
    return mode == CatalogueMode::Show ? QStringLiteral("Pick a Show") : QStringLiteral("Pick a Station");
}

CatalogueReader::CatalogueReader(const QString &path) : m_file(path)
{
    // Only a regular file: opening a named pipe would wait for a writer.
    if (QFileInfo(path).isFile())
        m_file.open(QIODevice::ReadOnly);
}

bool CatalogueReader::next(QByteArray *line)
{
    line->clear();
    if (!m_file.isOpen() || m_file.atEnd())
        return false;
    char buffer[4096];
    bool ended = false;
    while (!ended) {
        const qint64 n = m_file.readLine(buffer, sizeof buffer);
        if (n <= 0)
            break;
        ended = buffer[n - 1] == '\n';
        if (line->size() < kCatalogueLineBytes)
            line->append(buffer, qMin<qint64>(n, kCatalogueLineBytes - line->size()));
    }
    while (line->endsWith('\n') || line->endsWith('\r'))
        line->chop(1);
    return true;
}

QString catalogueText(QByteArrayView bytes, qsizetype maxBytes)
{
    // Most lines are short plain ASCII.
    if (bytes.size() <= maxBytes && std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0; }))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    const QByteArray encoded = text.toUtf8();
    if (encoded.size() <= maxBytes)
        return text;
    return QString::fromUtf8(cutUtf8(encoded, maxBytes));
}

QString catalogueEntryName(QByteArrayView line)
{
    const qsizetype bar = line.indexOf('|');
    return catalogueText(bar < 0 ? line : line.first(bar), kCatalogueNameBytes);
}

std::optional<std::int64_t> catalogueTime(QByteArrayView field, std::int64_t now)
{
    if (field.isEmpty() || field.size() > 4)
        return std::nullopt;
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    const int hours = value / 100;
    const int minutes = value % 100;
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    // Pacific Standard Time is 8 hours west of UTC.
    return localMidnight(now) + hours * 3600 + minutes * 60 + 28800 - standardOffsetWest(now);
}

namespace
{

// Fields after the name: separated by "|", CR or LF; separators that
// follow one another count as one.
class FieldCursor
{
public:
    explicit FieldCursor(QByteArrayView rest) : m_rest(rest) {}
    std::optional<QByteArrayView> next()
    {
        auto isSeparator = [](char c) { return c == '|' || c == '\r' || c == '\n'; };
        qsizetype begin = 0;
        while (begin < m_rest.size() && isSeparator(m_rest[begin]))
            ++begin;
        if (begin == m_rest.size())
            return std::nullopt;
        qsizetype end = begin;
        while (end < m_rest.size() && !isSeparator(m_rest[end]))
            ++end;
        const QByteArrayView field = m_rest.sliced(begin, end - begin);
        m_rest = m_rest.sliced(end);
        return field;
    }

private:
    QByteArrayView m_rest;
};

} // namespace

bool readCatalogueFields(QByteArrayView line, std::int64_t now, PickResult &result)
{
    const qsizetype bar = line.indexOf('|');
    if (bar < 0)
        return false;
    FieldCursor fields(line.sliced(bar + 1));

    const auto address = fields.next();
    if (!address)
        return false;
    result.address = catalogueText(*address, kCatalogueAddressBytes);

    for (std::int64_t *time : {&result.start, &result.end}) {
        const auto field = fields.next();
        const auto value = field ? catalogueTime(*field, now) : std::nullopt;
        if (!value)
            return false;
        *time = *value;
    }

    const auto days = fields.next();
    if (!days)
        return false;
    result.flags |= SHOW_REPEATING;
    static constexpr char kDayLetters[] = "MTWTFSS";
    for (qsizetype i = 0; i < 7 && i < days->size(); ++i)
        if ((*days)[i] == kDayLetters[i])
            result.flags |= 1u << i;

    const auto direct = fields.next();
    if (!direct)
        return false;
    if (direct->front() == 'Y')
        result.flags |= OPT_DIRECT_DOWNLOAD;

    const auto player = fields.next();
    if (!player)
        return false;
    result.playerLetter = player->front();
    return true;
}

PickResult pickCatalogueEntry(const QString &path, CatalogueMode mode, const QString &name, std::int64_t now)
{
    PickResult result;
    result.name = name;
    bool complete = true;
    // Nothing selected picks nothing, not a line with an empty name.
    CatalogueReader reader(name.isEmpty() ? QString() : path);
    QByteArray line;
    while (reader.next(&line)) {
        if (catalogueEntryName(line) != name)
            continue;
        complete = readCatalogueFields(line, now, result);
        break;
    }
    if (mode == CatalogueMode::Station && complete)
        result.flags = kPickedStationFlags;
    return result;
}

} // namespace skywell
