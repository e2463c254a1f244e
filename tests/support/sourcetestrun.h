#pragma once

#include "mixer/sourcetest.h"

#include <QEventLoop>

namespace skywell::test
{

// Runs the source test to its end, the event loop turning meanwhile as it
// does in the program; the outcome at once when it did not start.
inline SourceTestResult runSourceTestToEnd(RecordingSourceTest &test, const QString &card, bool ask)
{
    if (std::optional<SourceTestResult> ended = test.start(card, ask))
        return *ended;
    SourceTestResult result;
    QEventLoop loop;
    QObject::connect(&test, &RecordingSourceTest::finished, &loop, [&](const SourceTestResult &tested) {
        result = tested;
        loop.quit();
    });
    loop.exec();
    return result;
}

} // namespace skywell::test
