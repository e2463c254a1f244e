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
    if (line.text.contains(QLatin1String(".skw"))) {
        // The import path is the text without the option words, so that
        // "show.skw -quiet" opens show.skw; a path with blanks given without
        // quotes still comes back whole.
        QStringList pathWords;
        for (const QString &arg : args) {
            if (arg != QLatin1String("-quiet") && arg != QLatin1String("--headless"))
                pathWords << arg;
        }
        line.importPath = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(pathWords.join(QLatin1Char(' '))));
    }
    return line;
}

} // namespace skywell
