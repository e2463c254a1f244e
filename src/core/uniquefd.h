#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace skywell
{

// Owns a file descriptor and closes it once: at close() or at the end of
// its life, whichever comes first.
class UniqueFd final
{
public:
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    int get() const { return m_fd; }
    // Closes now; 0, or the error number of the close.
    int close() { return ::close(std::exchange(m_fd, -1)) == 0 ? 0 : errno; }

private:
    int m_fd;
};

} // namespace skywell
