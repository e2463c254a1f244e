#pragma once

#include <QString>

namespace skywell
{

inline const QString kCaption = QStringLiteral("Skywell");
inline const QString kErrorCaption = QStringLiteral("Skywell Error");
inline const QString kFatalCaption = QStringLiteral("Fatal Error");
inline const QString kHintCaption = QStringLiteral("Skywell Hint");
inline const QString kDontShowAgain = QStringLiteral("Don't show this hint again");

// The answer a question gives to Enter, and when nobody can be asked.
enum class DefaultAnswer { No, Yes };

// Every message the program shows to the user goes through a Prompter: a
// window on the desktop, the log in headless mode, a script in tests.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // A message with an OK button.
    virtual void information(const QString &text, const QString &caption = kCaption) = 0;
    // A Yes/No question; true only for Yes. Its default answer is the one
    // that loses nothing.
    virtual bool question(const QString &text, const QString &caption = kCaption,
                          DefaultAnswer preset = DefaultAnswer::No) = 0;
    // A user error ("Skywell Error" unless told otherwise).
    virtual void error(const QString &text, const QString &caption = kErrorCaption) = 0;
    // A failure met while recording ("Fatal Error"); it must never wait for
    // the user, because the recording goes on behind it.
    virtual void fatal(const QString &text) = 0;
    // The one-time hint with its "Don't show this hint again" box. Returns
    // true when it was closed with OK and the box ticked.
    virtual bool hint(const QString &text) = 0;
};

} // namespace skywell
