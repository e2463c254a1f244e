#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace skywell
{

// Minimises the visible top-level windows of one title with the main
// window and shows them again when it comes back (the "Skywell Tuner"
// window follows the main window). Without an X display it does nothing.
class X11WindowFollow final
{
public:
    explicit X11WindowFollow(QString title, QByteArray display = QByteArray());

    // Asks the window manager to minimise the windows and remembers them.
    void minimize();
    // Maps and raises the windows minimised before.
    void show();

private:
    QString m_title;
    QByteArray m_display;
    std::vector<std::uint64_t> m_minimized;
};

} // namespace skywell
