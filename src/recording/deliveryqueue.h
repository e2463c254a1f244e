#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace skywell
{

// The jobs that finish one recording's tracks, run one at a time in the
// order they were added. A job gets a callback to call once it is done:
// at once for a quick step (a rename), or later from the event loop when a
// tool it started has ended. Capture never waits for the queue.
class DeliveryQueue final
{
public:
    using Finished = std::function<void()>;
    using Job = std::function<void(Finished)>;

    DeliveryQueue();
    ~DeliveryQueue();
    DeliveryQueue(const DeliveryQueue &) = delete;
    DeliveryQueue &operator=(const DeliveryQueue &) = delete;

    // Runs the job now when nothing else is under way, otherwise after the
    // jobs before it.
    void add(Job job);
    // No job is waiting or under way.
    bool idle() const { return !m_running && m_jobs.empty(); }
    // Calls done once every job added so far (and any added meanwhile) has
    // finished; at once when the queue is idle.
    void whenIdle(Finished done);

private:
    void runJobs();

    std::deque<Job> m_jobs;
    std::vector<Finished> m_waiting;
    bool m_running = false;
    bool m_inLoop = false;
    // Callbacks of jobs that finish after the queue has gone do nothing.
    std::shared_ptr<bool> m_alive;
};

} // namespace skywell
