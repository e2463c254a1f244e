#include "recording/recordingroster.h"

namespace skywell
{

RecordingRoster::RecordingRoster(RosterContext context, QObject *parent) : QObject(parent)
{
    (void)context;
}

RecordingRoster::~RecordingRoster() = default;

} // namespace skywell
