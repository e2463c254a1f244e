#include "support/eventloop.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace skywell::test
{

bool spinUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void pause(int ms)
{
    spinUntil([] { return false; }, ms);
}

} // namespace skywell::test
