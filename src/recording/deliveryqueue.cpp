#include "recording/deliveryqueue.h"

namespace skywell
{

DeliveryQueue::DeliveryQueue() : m_alive(std::make_shared<bool>(true))
{
}

DeliveryQueue::~DeliveryQueue() = default;

void DeliveryQueue::add(Job job)
{
    m_jobs.push_back(std::move(job));
    runJobs();
}

void DeliveryQueue::whenIdle(Finished done)
{
    m_waiting.push_back(std::move(done));
    runJobs();
}

void DeliveryQueue::runJobs()
{
    // A job that finishes at once returns here: the loop goes on with the
    // next one rather than nesting a call per job.
    if (m_inLoop)
        return;
    m_inLoop = true;
    while (!m_running && !m_jobs.empty()) {
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_running = true;
        auto once = std::make_shared<bool>(false);
        job([this, alive = std::weak_ptr<bool>(m_alive), once] {
            if (alive.expired() || *once)
                return;
            *once = true;
            m_running = false;
            runJobs();
        });
    }
    m_inLoop = false;
    if (!idle())
        return;
    // The waiting callbacks may add jobs or wait again.
    std::vector<Finished> waiting;
    waiting.swap(m_waiting);
    for (Finished &done : waiting)
        done();
}

} // namespace skywell
