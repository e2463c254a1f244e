#include "control/controloptions.h"

#include <array>

namespace skywell
{

namespace
{

struct CommandForm {
    const char *name;
    const char *positional; // names of the words after the command
    int required;           // how many of them must be given
    const char *synopsis;
};

constexpr std::array<CommandForm, 8> kCommands = {{
    {"list", "", 0,
     "list [--json]\n  Every Show with its schedule, next recording, source, output kind and last status."},
    {"add", "name url", 2,
     "add NAME URL [--source stream|soundcard|download]\n"
     "    [--output mp3-fm|mp3-am|mp3-cd|wav|as-broadcast|none]\n"
     "    [--once YYYY-MM-DD | --weekly mon,tue,... | --unscheduled] [--at HH:MM]\n"
     "    [--length MINUTES] [--split-titles] [--split-every MINUTES] [--mute] [--json]\n"
     "  Adds a Show (local time; defaults: stream, mp3-fm, unscheduled, 60 minutes)\n"
     "  with the checks of the Show editor."},
    {"edit", "name", 1,
     "edit NAME [--url URL] [the options of add] [--json]\n  Changes the options given of the Show NAME."},
    {"remove", "name", 1, "remove NAME [--json]\n  Removes the Show NAME."},
    {"record", "name", 1,
     "record NAME [--minutes N] [--json]\n  Records the Show NAME now, for N minutes (else five hours or until "
     "stopped)."},
    {"stop", "name", 0,
     "stop [NAME] [--json]\n  Stops the recording of NAME, or every recording; what was recorded "
     "is kept."},
    {"status", "", 0,
     "status [--json]\n  The recordings running (Show, since, until, bytes, level) and the next due "
     "Show."},
    {"recordings", "", 0, "recordings [--json]\n  The files in the recordings folder, newest first."},
}};

const char *const kShowValueOptions[] = {"url", "source", "output", "once", "weekly", "at", "length", "split-every"};
const char *const kShowFlagOptions[] = {"unscheduled", "split-titles", "mute"};

const CommandForm *formOf(const QString &command)
{
    for (const CommandForm &form : kCommands) {
        if (command == QLatin1String(form.name))
            return &form;
    }
    return nullptr;
}

bool takesShowOptions(const QString &command)
{
    return command == QLatin1String("add") || command == QLatin1String("edit");
}

// 1: an option with a value, 2: a flag, 0: not an option of the command.
int optionKind(const QString &command, const QString &option)
{
    if (takesShowOptions(command)) {
        for (const char *name : kShowValueOptions) {
            // The address of a new Show is its second word.
            if (option == QLatin1String(name) && !(command == QLatin1String("add") && option == QLatin1String("url")))
                return 1;
        }
        for (const char *name : kShowFlagOptions) {
            if (option == QLatin1String(name))
                return 2;
        }
    }
    if (command == QLatin1String("record") && option == QLatin1String("minutes"))
        return 1;
    return 0;
}

} // namespace

bool isControlCommand(const QString &word)
{
    return formOf(word) != nullptr;
}

ControlCommandLine parseControlCommandLine(const QStringList &args)
{
    ControlCommandLine line;
    line.request.command = args.value(0);
    const CommandForm *form = formOf(line.request.command);
    if (!form) {
        line.problem = QStringLiteral("Unknown command \"%1\".").arg(line.request.command);
        return line;
    }
    const QString command = line.request.command;
    const QStringList positional = QString::fromLatin1(form->positional).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString seeHelp = QStringLiteral(" See \"skywell %1 --help\".").arg(command);
    int given = 0;
    bool optionsEnded = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString &word = args[i];
        if (!optionsEnded && word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !word.startsWith(QLatin1String("--"))) {
            if (given >= positional.size()) {
                line.problem = QStringLiteral("Too many arguments: \"%1\".").arg(word) + seeHelp;
                return line;
            }
            line.request.arguments.insert(positional[given++], word);
            continue;
        }
        QString option = word.mid(2);
        QString value;
        const bool hasValue = option.contains(QLatin1Char('='));
        if (hasValue) {
            value = option.section(QLatin1Char('='), 1);
            option = option.section(QLatin1Char('='), 0, 0);
        }
        if (option == QLatin1String("help")) {
            line.help = true;
            return line;
        }
        if (option == QLatin1String("json") && !hasValue) {
            line.json = true;
            continue;
        }
        const int kind = optionKind(command, option);
        if (kind == 0 || (kind == 2 && hasValue)) {
            line.problem = QStringLiteral("Unknown option \"%1\".").arg(word) + seeHelp;
            return line;
        }
        if (kind == 2) {
            line.request.arguments.insert(option, true);
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                line.problem = QStringLiteral("The option --%1 needs a value.").arg(option) + seeHelp;
                return line;
            }
            value = args[++i];
        }
        line.request.arguments.insert(option, value);
    }
    if (given < form->required) {
        line.problem = QStringLiteral("Missing %1.").arg(positional[given].toUpper()) + seeHelp;
        return line;
    }
    return line;
}

QString controlHelpText(const QString &command)
{
    const CommandForm *form = formOf(command);
    if (!form)
        return QString();
    return QStringLiteral("Usage: skywell %1\n\nReaches the Skywell running for this user (with or without its "
                          "window); with none running, list, add, edit and remove change the Show file directly.\n"
                          "Exit status: 0 done, 1 nothing running where it must, 2 bad input.\n")
        .arg(QString::fromLatin1(form->synopsis));
}

} // namespace skywell
