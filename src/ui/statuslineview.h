#pragma once

#include <QWidget>

namespace skywell
{

// "Status: <text>" on white, left-aligned from the top; trailing blanks
// cover what remains of a longer previous text. A text too long for the
// line ends in "…" and the whole of it is the tooltip.
class StatusLineView final : public QWidget
{
    Q_OBJECT
public:
    explicit StatusLineView(QWidget *parent = nullptr);
    // Empty text means "Ready".
    void setStatus(const QString &text);
    QString status() const { return m_text; }
    QString drawnText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRect textRect() const;
    void updateToolTip();

    QString m_text = QStringLiteral("Ready");
};

} // namespace skywell
