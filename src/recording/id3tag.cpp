#include "recording/id3tag.h"

#include "core/textcut.h"

namespace skywell
{

QByteArray id3v1Tag(const QString &title, const QString &artist, const QString &album, int trackNumber)
{
    const QString blank = QStringLiteral(" ");
    if (title == blank || artist == blank)
        return {};
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    auto put = [&tag](int offset, const QString &text) {
        const QByteArray cut = cutUtf8(text.toUtf8(), 30);
        tag.replace(offset, cut.size(), cut);
    };
    put(3, title);
    put(33, artist);
    put(63, album);
    tag[126] = static_cast<char>(trackNumber & 0xFF);
    tag[127] = 12;
    return tag;
}

} // namespace skywell
