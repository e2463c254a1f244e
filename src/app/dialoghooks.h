#pragma once

class QWidget;

namespace skywell
{

class AppRun;
class Prompter;
class SettingsStore;
struct WindowDialogs;

// Fills the window's dialog hooks with the dialogs and the parts of the
// run they work on. parent may be null: the dialogs then open over the
// active window. dialogs.openHelp, when set before, serves the dialogs'
// Help buttons.
void connectDialogs(WindowDialogs &dialogs, AppRun &run, SettingsStore &settingsStore, Prompter &prompter,
                    QWidget *parent = nullptr);

} // namespace skywell
