#include "support/tempenv.h"

#include <QFile>

namespace skywell::test
{

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace skywell::test
