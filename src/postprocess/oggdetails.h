#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace skywell
{

// What the pages of an Ogg Vorbis or Ogg Opus file tell without decoding.
struct OggDetails {
    // How long it plays; negative when the pages do not say.
    double seconds = -1;
    // The TITLE comment of its first stream; empty when it has none.
    QString title;
};

// Reads the title from head (the file's first bytes, which start with
// "OggS") and the length from the granule position of the file's last
// page. Only a chained file (several streams one after another) has its
// page headers walked, to add up the length of each stream.
OggDetails readOggDetails(QFile &file, const QByteArray &head);

} // namespace skywell
