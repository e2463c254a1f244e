#include "ui/pickdialog.h"

#include "tuning/cataloguemodel.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace skywell
{

PickDialog::PickDialog(CatalogueModel &model, QWidget *parent) : QDialog(parent), m_model(model)
{
    setWindowTitle(model.title());
    auto *list = new QListWidget(this);
    list->addItems(model.names());
    auto *findText = new QLineEdit(this);
    findText->setMaxLength(kSearchTextLength);
    auto *find = new QPushButton(QStringLiteral("Find"), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *findRow = new QHBoxLayout;
    findRow->addWidget(findText);
    findRow->addWidget(find);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list);
    layout->addLayout(findRow);
    layout->addWidget(buttons);
    resize(420, 420);

    connect(list, &QListWidget::currentRowChanged, this, [this](int row) { m_model.select(row); });
    connect(list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(find, &QPushButton::clicked, this, [this, list, findText] {
        if (m_model.find(findText->text()) == CatalogueModel::FindResult::NotFound)
            QMessageBox::information(this, windowTitle(), kSearchNotFoundText);
        list->setCurrentRow(m_model.selection());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::optional<PickResult> PickDialog::pick(CatalogueMode mode, const QString &programFolder, std::int64_t now,
                                           QWidget *parent)
{
    CatalogueModel model(mode, programFolder);
    model.reload();
    PickDialog dialog(model, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return model.pick(now);
}

} // namespace skywell
