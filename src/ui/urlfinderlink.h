#pragma once

#include <QByteArray>
#include <QString>

// The lines skywell and its URL Finder browser (skywell-urlfinder) send
// each other over the browser's standard input and output: one word, a
// space, an address, a newline. UTF-8; an address never holds a line
// break (they are dropped).
namespace skywell::urlfinderlink
{

// Browser to skywell.
inline constexpr char kAddress[] = "address"; // a navigation ended here ("" for its own page)
inline constexpr char kFound[] = "found";     // a stream or pop-up a page asked for
inline constexpr char kAdd[] = "add";         // the user chose this stream for a new Show
// Skywell to browser.
inline constexpr char kLoad[] = "load"; // go to the typed address
inline constexpr char kBack[] = "back"; // one page back

inline QByteArray line(const char *word, const QString &text = QString())
{
    QString clean = text;
    clean.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    return QByteArray(word) + ' ' + clean.toUtf8() + '\n';
}

struct Line {
    QByteArray word;
    QString text;
};

inline Line parse(QByteArray raw)
{
    while (raw.endsWith('\n') || raw.endsWith('\r'))
        raw.chop(1);
    const qsizetype space = raw.indexOf(' ');
    if (space < 0)
        return {raw, QString()};
    return {raw.left(space), QString::fromUtf8(raw.mid(space + 1))};
}

} // namespace skywell::urlfinderlink
