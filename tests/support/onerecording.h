#pragma once

#include "recording/recordingroster.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace skywell::test
{

// The roster seen as the one recording at a time these cases run.
class OneRecording
{
public:
    OneRecording(std::unique_ptr<RecordingRoster> &roster, std::uint64_t &current)
        : m_roster(roster), m_current(current)
    {
    }
    void startRecording(const RecordingRequest &request) { m_roster->startRecording(request); }
    bool endRecording(bool abort, bool save)
    {
        m_roster->endRecording(m_current, abort, save);
        return true;
    }
    void supervisionTick() { m_roster->supervisionTick(); }
    void lookForDueShowNow() { m_roster->lookForDueShowNow(); }
    void captureCanStart(std::uint64_t id) { m_roster->captureCanStart(id); }
    bool recording() const { return m_roster->recording(); }
    std::int64_t endTime() const { return m_roster->running().front().endTime; }
    bool downloading() const { return recording() && m_roster->running().front().downloading; }
    bool nothingRecorded() const { return m_roster->nothingRecorded(); }
    std::int64_t startTime() const { return m_roster->running().front().startTime; }
    void setSourceTestRunning(bool running) { m_roster->setSourceTestRunning(running); }
    void setStreamOnly(bool on) { m_roster->setStreamOnly(on); }
    void setQuitting() { m_roster->setQuitting(); }

private:
    std::unique_ptr<RecordingRoster> &m_roster;
    std::uint64_t &m_current;
};

} // namespace skywell::test
