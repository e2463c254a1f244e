#include "ui/addshowchooser.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace skywell
{

AddShowChooser::AddShowChooser(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Add Show"));
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    const struct {
        const char *text;
        const char *detail;
        AddShowChoice choice;
    } choices[] = {
        {"Pick a Show", "from the list of known shows", AddShowChoice::PickShow},
        {"Pick a Station", "from the list of stations", AddShowChoice::PickStation},
        {"Enter Show Manually", "name, address and times typed in", AddShowChoice::EnterManually},
    };
    for (const auto &c : choices) {
        auto *button = new QPushButton(QString::fromLatin1(c.text), this);
        button->setToolTip(QString::fromLatin1(c.detail));
        button->setMinimumHeight(button->sizeHint().height() * 3 / 2);
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
        layout->addWidget(button);
        const int code = int(c.choice);
        connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
    }
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cancel);
    row->addStretch(1);
    layout->addSpacing(8);
    layout->addLayout(row);
    connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Enter Show Manually")) * 2);
}

AddShowChoice chooseHowToAddShow(QWidget *parent)
{
    AddShowChooser chooser(parent);
    const int code = chooser.exec();
    return code >= 1 && code <= 3 ? AddShowChoice(code) : AddShowChoice::Cancel;
}

} // namespace skywell
