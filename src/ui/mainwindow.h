#pragma once

#include <QWidget>

namespace skywell
{

class Prompter;

// The program's window, titled "Skywell". Asks before quitting, because no
// recording happens once the program has ended.
class MainWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(Prompter &prompter, QWidget *parent = nullptr);

    // Shows the window in front of the others (a second start asks for it).
    void restore();
    // Closes without asking (quit request of a second start).
    void closeWithoutAsking();
    // Moves to the position stored when the user last quit through the
    // Quit button; 0, 0 (never stored) keeps the left and puts the top at 30.
    void moveToSavedPosition(int left, int top);

Q_SIGNALS:
    // The user confirmed quitting.
    void quitConfirmed();
    // Quitting through the Quit button: the position to store.
    void exitPosition(int left, int top);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool confirmQuit();

    Prompter &m_prompter;
    bool m_closing = false;
};

inline const QString kQuitQuestion =
    QStringLiteral("OK to Quit?\n\nWarning: No automatic recording will occur when you exit.");

} // namespace skywell
