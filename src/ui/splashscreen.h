#pragma once

#include <QDialog>

namespace skywell
{

// The start-up picture: a window without caption, 425 x 159 pixels, that
// closes itself after three seconds or at the first click in it.
class SplashScreen final : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kWidth = 425;
    static constexpr int kHeight = 159;
    static constexpr int kShowMs = 3000;

    explicit SplashScreen(QWidget *parent = nullptr);

    // Shows the splash and returns when it has closed.
    static void showModal();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};

} // namespace skywell
