#pragma once

#include <QString>
#include <QStringList>

namespace skywell::test
{

// Runs a tool to its end; true when it exited with 0. output receives what
// it printed (standard output and error together).
bool runTool(const QString &program, const QStringList &arguments, QString *output = nullptr);

} // namespace skywell::test
