#pragma once

#include <QDialog>

namespace skywell
{

// How a new Show starts (the result codes of the "Add Show" chooser).
enum class AddShowChoice { Cancel = 0, PickShow = 1, PickStation = 2, EnterManually = 3 };

// "Add Show": "Pick a Show", "Pick a Station", "Enter Show Manually" and
// "Cancel", which end it with 1, 2, 3 and 0.
class AddShowChooser final : public QDialog
{
    Q_OBJECT
public:
    explicit AddShowChooser(QWidget *parent = nullptr);
};

// Runs the chooser; Cancel (or closing it) gives AddShowChoice::Cancel.
AddShowChoice chooseHowToAddShow(QWidget *parent);

} // namespace skywell
