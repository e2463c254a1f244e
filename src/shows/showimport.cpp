#include "shows/showimport.h"

#include "core/clock.h"
#include "core/prompter.h"
#include "core/regularfile.h"
#include "shows/localtime.h"

#include <cstring>
#include <optional>

namespace skywell
{

namespace
{

constexpr qsizetype kMaxLine = 255;

// strtok over a byte string: skips leading delimiters, returns the next
// run of other bytes and steps over the one delimiter that ends it.
class Tokenizer
{
public:
    explicit Tokenizer(const QByteArray &text) : m_text(text) {}

    std::optional<QByteArray> next(const char *delimiters)
    {
        while (m_pos < m_text.size() && isDelimiter(m_text[m_pos], delimiters))
            ++m_pos;
        if (m_pos >= m_text.size())
            return std::nullopt;
        const qsizetype begin = m_pos;
        while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos], delimiters))
            ++m_pos;
        QByteArray token = m_text.mid(begin, m_pos - begin);
        if (m_pos < m_text.size())
            ++m_pos;
        return token;
    }

private:
    static bool isDelimiter(char c, const char *delimiters) { return std::strchr(delimiters, c) != nullptr; }

    QByteArray m_text;
    qsizetype m_pos = 0;
};

// A decimal number as atoi reads it (blanks, sign, digits; anything else
// ends it), saturated instead of overflowing.
std::int64_t decimal(const QByteArray &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kMax = std::int64_t{1} << 40;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < kMax)
            value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

constexpr std::uint32_t kDayBitsInOrder[7] = {SHOW_MON, SHOW_TUE, SHOW_WED, SHOW_THU, SHOW_FRI, SHOW_SAT, SHOW_SUN};
constexpr char kDayLetters[8] = "MTWTFSS";

std::int32_t importDate(const QByteArray &field)
{
    Tokenizer parts(field);
    const auto year = parts.next("-");
    const auto month = parts.next("-");
    const auto day = parts.next("-\r\n");
    if (!year || !month || !day)
        return 0;
    const std::int64_t y = decimal(*year);
    if (y < 1900)
        return 0;
    std::int64_t t = 0;
    if (!localDateToTime(y, decimal(*month), decimal(*day), &t))
        return 0;
    // A date the record cannot hold counts as none.
    return toStoredTime(t) == t ? static_cast<std::int32_t>(t) : 0;
}

} // namespace

std::int32_t localTimeToday(std::int64_t hhmm, bool pacific, const Clock &clock)
{
    const std::int64_t hours = hhmm / 100;
    const std::int64_t minutes = hhmm % 100;
    std::int64_t t = localMidnight(clock.now()) + hours * 3600 + minutes * 60;
    if (pacific)
        t += 28800 - standardOffsetWest(clock.now());
    return toStoredTime(t);
}

ImportStatus parseShowImport(const QByteArray &firstLine, bool pacific, const Clock &clock, Show *show)
{
    show->flags = OUT_MP3_FM;
    // The line is read as a C string: it ends at the first NUL.
    QByteArray line = firstLine.left(kMaxLine);
    const qsizetype nul = line.indexOf('\0');
    if (nul >= 0)
        line.truncate(nul);
    if (line.isEmpty())
        return ImportStatus::Ok;

    Tokenizer fields(line);
    const auto name = fields.next("|");
    const auto url = fields.next("|\r\n");
    const auto start = fields.next("|\r\n");
    const auto end = fields.next("|\r\n");
    const auto days = fields.next("|\r\n");
    const auto date = fields.next("|\r\n");
    if (!name || !url || !start || !end || !days)
        return ImportStatus::ParseError;

    setField(show->name, *name);
    setField(show->url, *url);
    show->startTime = localTimeToday(decimal(*start), pacific, clock);
    show->endTime = localTimeToday(decimal(*end), pacific, clock);
    for (int i = 0; i < 7 && i < days->size(); ++i) {
        if ((*days)[i] == kDayLetters[i])
            show->flags |= kDayBitsInOrder[i] | SHOW_REPEATING;
    }
    if (date && !date->startsWith('*'))
        show->onceDate = importDate(*date);
    return ImportStatus::Ok;
}

ImportRead readImportLine(const QString &path, QByteArray *line, QString *problem)
{
    RegularFile file(path);
    QByteArray data;
    if (!file.isOpen() || !file.read(kMaxLine, &data)) {
        if (problem)
            *problem = file.problem();
        return file.notRegular() ? ImportRead::NotRegular : ImportRead::CannotOpen;
    }
    // Like fgets: the line ends after its line feed.
    const qsizetype end = data.indexOf('\n');
    if (end >= 0)
        data.truncate(end + 1);
    *line = data;
    return ImportRead::Ok;
}

bool importShowFile(const QString &path, const Clock &clock, Prompter &prompter, const ShowEditorStep &edit,
                    const AddShowStep &add)
{
    QByteArray line;
    QString problem;
    switch (readImportLine(path, &line, &problem)) {
    case ImportRead::Ok:
        break;
    case ImportRead::CannotOpen:
        prompter.information(kImportOpenErrorText.arg(path));
        return false;
    case ImportRead::NotRegular:
        prompter.information(kImportNotAFileText.arg(path, problem));
        return false;
    }
    const bool pacific = path.contains(QLatin1String("-pst"));
    Show show;
    if (parseShowImport(line, pacific, clock, &show) != ImportStatus::Ok) {
        prompter.information(kImportParseErrorText);
        return false;
    }
    if (!edit || edit(show)) {
        if (add)
            add(show);
    }
    return true;
}

} // namespace skywell
