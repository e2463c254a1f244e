#pragma once

namespace skywell
{

// Whether the computer is connected to a network beyond itself. Called
// from the tuning worker and the user-interface thread alike.
class ConnectionState
{
public:
    virtual ~ConnectionState() = default;
    virtual bool isOnline() const = 0;
};

} // namespace skywell
