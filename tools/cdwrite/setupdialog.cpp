#include "setupdialog.h"

#include "core/folders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace skywell::cdwrite
{

namespace
{
const QString kFirstDrive = QStringLiteral("(first drive found)");
}

SetupDialog::SetupDialog(const CdWriteSettings &settings, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Skywell CD Writer Setup"));
    auto *form = new QFormLayout(this);

    m_device = new QComboBox(this);
    m_device->setEditable(true);
    m_device->addItem(kFirstDrive);
    m_device->addItems(findDrives());
    m_device->setCurrentText(settings.device.isEmpty() ? kFirstDrive : settings.device);
    form->addRow(QStringLiteral("CD drive:"), m_device);

    m_writeImage = new QCheckBox(QStringLiteral("Write an image file instead of a disc"), this);
    m_writeImage->setChecked(settings.writeImage);
    form->addRow(m_writeImage);

    auto *folderRow = new QHBoxLayout;
    m_imageFolder = new QLineEdit(settings.imageFolder, this);
    auto *browse = new QPushButton(QStringLiteral("Browse..."), this);
    folderRow->addWidget(m_imageFolder);
    folderRow->addWidget(browse);
    form->addRow(QStringLiteral("Image folder:"), folderRow);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder =
            QFileDialog::getExistingDirectory(this, QStringLiteral("Image folder"), m_imageFolder->text());
        if (!folder.isEmpty())
            m_imageFolder->setText(folder);
    });
    const auto enableFolder = [this, browse](bool on) {
        m_imageFolder->setEnabled(on);
        browse->setEnabled(on);
    };
    connect(m_writeImage, &QCheckBox::toggled, this, enableFolder);
    enableFolder(settings.writeImage);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

CdWriteSettings SetupDialog::settings() const
{
    CdWriteSettings result;
    const QString device = m_device->currentText().trimmed();
    result.device = device == kFirstDrive ? QString() : device;
    result.writeImage = m_writeImage->isChecked();
    result.imageFolder = withTrailingSeparator(m_imageFolder->text().trimmed());
    return result;
}

} // namespace skywell::cdwrite
