#pragma once

#include <QWidget>

class QLabel;

namespace skywell::cdwrite
{

class Burner;

// The helper's small window while it writes: what it does, the tool's
// latest line, and a Cancel button.
class ProgressWindow final : public QWidget
{
    Q_OBJECT
public:
    ProgressWindow(const QString &title, Burner &burner);
    void showLine(const QString &line);

private:
    QLabel *m_line;
};

} // namespace skywell::cdwrite
