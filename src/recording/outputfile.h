#pragma once

#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace skywell
{

// What opening a file or writing to it came to; on failure, systemError is
// the last system error the file met (errno), 0 when it met none.
struct WriteOutcome {
    bool ok = true;
    int systemError = 0;

    explicit operator bool() const { return ok; }
    bool operator==(const WriteOutcome &) const = default;
};

// An audio output file written with plain write() calls. A write that the
// system only takes in part is retried; anything short of all bytes is a
// failure (disk full, folder gone, I/O error), and the bytes it did take
// are cut off again, so the file ends after the last whole write and a
// later write goes on from there. The data is flushed to
// disk (fdatasync) every few seconds rather than after every block: a
// write() already survives a crash of the program, the sync guards against
// losing the recording when the whole machine stops. A file whose folder
// was removed while it was written (its last link gone) fails from the
// next sync on, and at close: its audio would otherwise vanish unnoticed.
class OutputFile final
{
public:
    static constexpr std::chrono::seconds kSyncInterval{5};

    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Creates the file anew (replacing an existing one).
    bool create(const QString &path);
    // Appends after the last whole write.
    bool writeAll(const void *data, std::size_t bytes);
    // Moves the end of a still empty file to offset, leaving a hole that
    // writeAt() fills later (a header that did not fit a full disk).
    bool skipTo(std::uint64_t offset);
    // Overwrites bytes already written; does not move the end.
    bool writeAt(std::uint64_t offset, const void *data, std::size_t bytes);
    // Closes; false when closing reported an error or the file is gone.
    bool close();

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    int lastError() const { return m_errno; }
    // ok as given, with the file's last system error when it is a failure.
    WriteOutcome outcome(bool ok) const { return ok ? WriteOutcome{} : WriteOutcome{false, m_errno}; }

private:
    void syncNow();
    bool stillLinked();

    int m_fd = -1;
    int m_errno = 0;
    // Where the last whole writeAll() ended.
    std::uint64_t m_end = 0;
    bool m_gone = false;
    std::chrono::steady_clock::time_point m_lastSync;
};

} // namespace skywell
