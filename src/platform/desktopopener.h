#pragma once

#include <QString>
#include <functional>

class QObject;

namespace skywell
{

// Opens a file with the program the desktop has chosen for its type, by
// running xdg-open with the path as its one argument (no shell). xdg-open
// may stay until that program ends, so the answer comes later: failed is
// called, while context lives, with a sentence saying why nothing opened
// (no program set for the type, xdg-open missing, the program failing).
void openWithDesktop(const QString &path, QObject *context, std::function<void(const QString &problem)> failed);

} // namespace skywell
