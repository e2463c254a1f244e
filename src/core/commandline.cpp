#include "core/commandline.h"

#include <QDir>

namespace skywell
{

CommandLine parseCommandLine(const QStringList &args, const QString &workingFolder)
{
    CommandLine line;
    line.text = args.join(QLatin1Char(' '));
    line.quiet = line.text.contains(QLatin1String("-quiet"));
    line.uninstall = line.text.contains(QLatin1String("UNINSTALL"));
    line.headless = args.contains(QLatin1String("--headless"));
    const qsizetype web = args.indexOf(QLatin1String("--web"));
    if (web >= 0 && web + 1 < args.size())
        line.webAddress = args[web + 1];
    if (line.text.contains(QLatin1String(".skw"))) {
        // The import path is the text without the option words, so that
        // "show.skw -quiet" opens show.skw; a path with blanks given without
        // quotes still comes back whole.
        QStringList pathWords;
        for (qsizetype i = 0; i < args.size(); ++i) {
            if (args[i] == QLatin1String("--web"))
                ++i; // and its address
            else if (args[i] != QLatin1String("-quiet") && args[i] != QLatin1String("--headless"))
                pathWords << args[i];
        }
        line.importPath = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(pathWords.join(QLatin1Char(' '))));
    }
    return line;
}

} // namespace skywell
