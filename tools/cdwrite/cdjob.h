#pragma once

#include <QString>
#include <QStringList>

namespace skywell::cdwrite
{

// What Skywell asks for: full paths separated by "?", with a last item
// "/data" for a data CD (MP3 files) instead of an audio CD (WAV files).
struct CdJob {
    QStringList files;
    bool dataCd = false;
};

CdJob parseCdJob(const QString &argument);

// Empty when every file is there, else the text of the problem.
QString checkFiles(const CdJob &job);

} // namespace skywell::cdwrite
