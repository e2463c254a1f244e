#pragma once

#include <QDialog>

namespace skywell
{

// "About Skywell": the banner, the name and version, who made it and the
// libraries it is built on with their licences.
class AboutBox final : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
};

// The credits and licences the About box shows.
QString aboutText();

// Shows the About box until OK.
void runAboutBox(QWidget *parent);

} // namespace skywell
