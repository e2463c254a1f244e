#pragma once

#include "recording/recordingports.h"

#include <QStringList>

namespace skywell::test
{

// A sound card mixer that writes down what recordings ask of it
// ("select <source>", "optimize <source>", "restore").
class CallLogMixer final : public SourceMixer
{
public:
    explicit CallLogMixer(QStringList &calls) : m_calls(calls) {}

    bool selectRecordingSource(const QString &name) override
    {
        m_calls << QStringLiteral("select ") + name;
        return true;
    }
    void optimizeSourceVolume(const QString &name) override { m_calls << QStringLiteral("optimize ") + name; }
    void restoreSourceVolumes() override { m_calls << QStringLiteral("restore"); }

private:
    QStringList &m_calls;
};

} // namespace skywell::test
