#pragma once

#include "cdwritesettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace skywell::cdwrite
{

// The helper's set-up: which drive, or an image file in a folder instead.
class SetupDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit SetupDialog(const CdWriteSettings &settings, QWidget *parent = nullptr);
    CdWriteSettings settings() const;

private:
    QComboBox *m_device;
    QCheckBox *m_writeImage;
    QLineEdit *m_imageFolder;
};

} // namespace skywell::cdwrite
