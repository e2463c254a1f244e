#pragma once

#include "support/tempenv.h"

#include <QString>

namespace skywell::test
{

// A file system of its own (a tmpfs of the given megabytes) while it
// lives. Mounting needs root; where it is refused, mounted() is false.
class SmallDisk
{
public:
    explicit SmallDisk(int megabytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    // With a trailing "/".
    QString path() const { return m_folder.path(); }
    QString file(const QString &name) const { return m_folder.file(name); }

    // Fills what is left with a filler file until the disk takes no more
    // byte; emptyAgain() deletes it.
    void fill();
    void emptyAgain();

private:
    TempFolder m_folder;
    bool m_mounted = false;
};

} // namespace skywell::test
