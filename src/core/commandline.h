#pragma once

#include <QString>
#include <QStringList>

namespace skywell
{

// What the command line asks for. The marks ".skw", "-quiet" and
// "UNINSTALL" are searched anywhere in the text after the program name
// (case-sensitive); "--headless" runs without a desktop.
struct CommandLine {
    QString text;       // the arguments joined by blanks
    QString importPath; // non-empty when the text contains ".skw"; absolute
    bool quiet = false;
    bool uninstall = false;
    bool headless = false;
    QString webAddress; // "--web [ADDRESS:]PORT": serve the web page there
};

// args excludes the program's own name. A relative import path is taken
// from workingFolder (the folder the command was started in), because a
// running instance that receives it works in a folder of its own.
CommandLine parseCommandLine(const QStringList &args, const QString &workingFolder);

} // namespace skywell
