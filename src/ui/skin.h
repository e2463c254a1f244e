#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace skywell
{

// The pictures a button is drawn from.
struct ButtonFaces {
    QPixmap normal;
    QPixmap pressed;
};

enum class ButtonGlyph { Text, About, Help, Minimize, Exit, Up, Down, Record, Stop };

// A button with a caption, as fitCaptions weighs it.
struct ButtonCaption {
    QString text;
    QSize size;
    ButtonGlyph glyph;
};

// The window's look, drawn with vectors at the screen's scale so that it
// stays sharp at 100 % and 200 %. "background.png" in the skin folder, at
// least 594 x 475, replaces the drawn background; a missing, unreadable or
// too small one leaves the built-in look.
class Skin final
{
public:
    explicit Skin(QString folder = QString());

    QPixmap background(qreal scale) const;
    // The start-up picture and the About box's banner, in the window's
    // colours: 425 x 159.
    static QPixmap splash(qreal scale);
    ButtonFaces button(const QString &text, QSize size, ButtonGlyph glyph, qreal scale) const;
    // Gives every captioned button one text size: the largest up to 13
    // pixels at which each of captions fits its button.
    void fitCaptions(const QList<ButtonCaption> &captions);
    // Whether the background came from the skin folder.
    bool usesFolderBackground() const { return !m_folderBackground.isNull(); }

    static QIcon applicationIcon();
    // The notification-area icon: idle, or recording (a red dot).
    static QIcon trayIcon(bool recording);

private:
    QPixmap m_folderBackground;
    int m_captionPixels = 0; // 0: each caption as large as it fits
};

inline constexpr int kWindowWidth = 594;
inline constexpr int kWindowHeight = 475;

} // namespace skywell
