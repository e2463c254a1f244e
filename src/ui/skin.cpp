#include "ui/skin.h"

#include "core/version.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace skywell
{

namespace
{

const QColor kNavy(18, 38, 74);
const QColor kDeepBlue(0, 67, 163);
const QColor kSky(74, 144, 226);
const QColor kPanel(236, 241, 248);

QPixmap canvas(QSize size, qreal scale)
{
    QPixmap pixmap(size * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawGlyph(QPainter &p, ButtonGlyph glyph, const QRectF &r, const QColor &color)
{
    const QPointF c = r.center();
    const qreal s = std::min(r.width(), r.height()) * 0.22;
    p.setPen(QPen(color, std::max(1.6, s * 0.35), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case ButtonGlyph::Exit:
        p.drawLine(c + QPointF(-s, -s), c + QPointF(s, s));
        p.drawLine(c + QPointF(-s, s), c + QPointF(s, -s));
        break;
    case ButtonGlyph::Minimize:
        p.drawLine(c + QPointF(-s, s * 0.8), c + QPointF(s, s * 0.8));
        break;
    case ButtonGlyph::Up:
    case ButtonGlyph::Down: {
        const qreal d = glyph == ButtonGlyph::Up ? -1 : 1;
        QPainterPath arrow;
        arrow.moveTo(c + QPointF(-s * 1.2, -d * s * 0.6));
        arrow.lineTo(c + QPointF(0, d * s * 0.8));
        arrow.lineTo(c + QPointF(s * 1.2, -d * s * 0.6));
        p.drawPath(arrow);
        break;
    }
    case ButtonGlyph::About:
    case ButtonGlyph::Help: {
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(int(r.height() * 0.6));
        p.setFont(font);
        p.drawText(r, Qt::AlignCenter, glyph == ButtonGlyph::About ? QStringLiteral("i") : QStringLiteral("?"));
        break;
    }
    default:
        break;
    }
}

constexpr int kLargestCaption = 13;
constexpr int kSmallestCaption = 8;

QFont captionFont(int pixels)
{
    QFont font;
    font.setBold(true);
    font.setPixelSize(pixels);
    return font;
}

// Where a caption goes on a button of size: the whole face, or beside the
// record dot or stop square.
QRectF captionRect(QSize size, ButtonGlyph glyph)
{
    const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(1.5, 1.5, -1.5, -1.5);
    return glyph == ButtonGlyph::Text ? r : r.adjusted(20, 0, 0, 0);
}

bool captionFits(const QString &text, QSize size, ButtonGlyph glyph, int pixels)
{
    return QFontMetricsF(captionFont(pixels)).horizontalAdvance(text) <= captionRect(size, glyph).width() - 6;
}

bool captioned(ButtonGlyph glyph)
{
    return glyph == ButtonGlyph::Text || glyph == ButtonGlyph::Record || glyph == ButtonGlyph::Stop;
}

} // namespace

void Skin::fitCaptions(const QList<ButtonCaption> &captions)
{
    int pixels = kLargestCaption;
    for (const ButtonCaption &caption : captions) {
        while (captioned(caption.glyph) && pixels > kSmallestCaption &&
               !captionFits(caption.text, caption.size, caption.glyph, pixels))
            --pixels;
    }
    m_captionPixels = pixels;
}

Skin::Skin(QString folder)
{
    if (folder.isEmpty())
        return;
    QImageReader reader(folder + QStringLiteral("/background.png"));
    const QImage image = reader.read();
    // A damaged or too small picture would leave parts of the window bare.
    if (!image.isNull() && image.width() >= kWindowWidth && image.height() >= kWindowHeight)
        m_folderBackground = QPixmap::fromImage(image.copy(0, 0, kWindowWidth, kWindowHeight));
}

QPixmap Skin::splash(qreal scale)
{
    constexpr int width = 425;
    constexpr int height = 159;
    QPixmap pixmap = canvas(QSize(width, height), scale);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 0, 0, height);
    body.setColorAt(0, kNavy);
    body.setColorAt(1, QColor(10, 24, 48));
    p.fillRect(QRectF(0, 0, width, height), body);
    // The window's wave mark, larger, beside the name.
    p.setPen(QPen(kSky, 4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath wave;
    wave.moveTo(60, 66);
    for (int i = 0; i < 3; ++i)
        wave.cubicTo(70 + i * 24, 48, 82 + i * 24, 84, 84 + i * 24, 66);
    p.drawPath(wave);
    QFont title = p.font();
    title.setPixelSize(42);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(140, 36, 270, 60), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Skywell"));
    QFont small = p.font();
    small.setPixelSize(13);
    small.setBold(false);
    p.setFont(small);
    p.setPen(QColor(170, 190, 220));
    p.drawText(QRectF(0, 104, width, 20), Qt::AlignCenter, QStringLiteral("Internet radio, recorded on schedule"));
    p.drawText(QRectF(0, 126, width, 20), Qt::AlignCenter,
               QStringLiteral("Version %1").arg(QString::fromLatin1(kVersionText)));
    return pixmap;
}

QPixmap Skin::background(qreal scale) const
{
    if (!m_folderBackground.isNull())
        return m_folderBackground;
    QPixmap pixmap = canvas(QSize(kWindowWidth, kWindowHeight), scale);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 0, 0, kWindowHeight);
    body.setColorAt(0, kNavy);
    body.setColorAt(1, QColor(10, 24, 48));
    // Square to the window's edges: a frameless window is not see-through,
    // so rounded corners would show the desktop palette's light colour.
    p.fillRect(QRectF(0, 0, kWindowWidth, kWindowHeight), body);
    p.setPen(QPen(QColor(74, 144, 226, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kWindowWidth - 1, kWindowHeight - 1));

    // Title: a small wave mark and the name.
    p.setPen(QPen(kSky, 2.2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath wave;
    wave.moveTo(72, 16);
    wave.cubicTo(78, 6, 84, 26, 90, 16);
    wave.cubicTo(96, 6, 102, 26, 108, 16);
    p.drawPath(wave);
    QFont title = p.font();
    title.setPixelSize(20);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(116, 2, 200, 28), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Skywell"));
    QFont small = p.font();
    small.setPixelSize(11);
    small.setBold(false);
    p.setFont(small);
    p.setPen(QColor(170, 190, 220));
    p.drawText(QRectF(14, 38, 300, 16), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Internet radio, recorded on schedule"));
    p.drawText(QRectF(420, 38, 76, 16), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("Elapsed"));
    p.drawText(QRectF(190, 367, 96, 16), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("Level"));

    // Panels behind the status line, the Show list and the level meter.
    p.setPen(Qt::NoPen);
    p.setBrush(kPanel);
    p.drawRoundedRect(QRectF(194, 60, 390, 26), 6, 6);
    p.drawRoundedRect(QRectF(134, 89, 450, 263), 8, 8);
    p.drawRoundedRect(QRectF(296, 360, 258, 30), 6, 6);
    p.setBrush(QColor(255, 255, 255, 18));
    p.drawRoundedRect(QRectF(8, 84, 134, 252), 8, 8);
    p.drawRoundedRect(QRectF(8, 400, 578, 56), 8, 8);
    return pixmap;
}

ButtonFaces Skin::button(const QString &text, QSize size, ButtonGlyph glyph, qreal scale) const
{
    ButtonFaces faces;
    for (int pressed = 0; pressed < 2; ++pressed) {
        QPixmap pixmap = canvas(size, scale);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(1.5, 1.5, -1.5, -1.5);
        const bool round = glyph != ButtonGlyph::Text && glyph != ButtonGlyph::Record && glyph != ButtonGlyph::Stop &&
                           glyph != ButtonGlyph::Up && glyph != ButtonGlyph::Down;
        QColor top = glyph == ButtonGlyph::Exit ? QColor(200, 60, 60) : kSky;
        QColor bottom = glyph == ButtonGlyph::Exit ? QColor(150, 30, 30) : kDeepBlue;
        if (glyph == ButtonGlyph::Stop) {
            top = QColor(230, 80, 70);
            bottom = QColor(170, 30, 30);
        }
        if (pressed) {
            top = top.darker(130);
            bottom = bottom.darker(130);
        }
        QLinearGradient fill(r.topLeft(), r.bottomLeft());
        fill.setColorAt(0, top);
        fill.setColorAt(1, bottom);
        p.setPen(QPen(QColor(255, 255, 255, pressed ? 40 : 90), 1));
        p.setBrush(fill);
        if (round)
            p.drawEllipse(r);
        else
            p.drawRoundedRect(r, 7, 7);
        const QPointF offset = pressed ? QPointF(0.5, 1) : QPointF();
        const QRectF inner = r.translated(offset);
        if (captioned(glyph)) {
            const QRectF textRect = captionRect(size, glyph).translated(offset);
            if (glyph != ButtonGlyph::Text) {
                // The record dot or the stop square before the caption.
                const QRectF mark(inner.left() + 8, inner.center().y() - 5, 10, 10);
                p.setPen(Qt::NoPen);
                p.setBrush(glyph == ButtonGlyph::Record ? QColor(235, 60, 60) : Qt::white);
                if (glyph == ButtonGlyph::Record)
                    p.drawEllipse(mark);
                else
                    p.drawRect(mark.adjusted(1, 1, -1, -1));
            }
            int pixels = m_captionPixels;
            if (pixels == 0) {
                for (pixels = kLargestCaption; pixels > kSmallestCaption; --pixels) {
                    if (captionFits(text, size, glyph, pixels))
                        break;
                }
            }
            p.setFont(captionFont(pixels));
            p.setPen(Qt::white);
            p.drawText(textRect, Qt::AlignCenter, text);
        } else {
            drawGlyph(p, glyph, inner, Qt::white);
        }
        (pressed ? faces.pressed : faces.normal) = pixmap;
    }
    return faces;
}

namespace
{

QPixmap iconPixmap(int size, bool recording)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 64.0;
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, kSky);
    fill.setColorAt(1, kDeepBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2 * u, 2 * u, 60 * u, 60 * u), 14 * u, 14 * u);
    p.setPen(QPen(Qt::white, 5 * u, Qt::SolidLine, Qt::RoundCap));
    QPainterPath wave;
    wave.moveTo(12 * u, 34 * u);
    wave.cubicTo(20 * u, 14 * u, 28 * u, 54 * u, 36 * u, 34 * u);
    wave.cubicTo(44 * u, 14 * u, 48 * u, 40 * u, 52 * u, 30 * u);
    p.drawPath(wave);
    if (recording) {
        p.setPen(QPen(Qt::white, 3 * u));
        p.setBrush(QColor(230, 40, 40));
        p.drawEllipse(QRectF(34 * u, 34 * u, 28 * u, 28 * u));
    }
    return pixmap;
}

} // namespace

QIcon Skin::applicationIcon()
{
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128, 256})
        icon.addPixmap(iconPixmap(size, false));
    return icon;
}

QIcon Skin::trayIcon(bool recording)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(iconPixmap(size, recording));
    return icon;
}

} // namespace skywell
