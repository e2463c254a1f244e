#pragma once

#include <QString>

namespace skywell
{

// The system's reason why the file at path cannot be written, found by
// looking: the nearest existing folder on its way is not a folder or not
// writable, the path is a folder, or a test file in its folder cannot be
// created and flushed. A generic text when nothing shows the cause. Leaves
// nothing behind.
QString whyCannotWrite(const QString &path);

} // namespace skywell
