#include "ui/folderpicker.h"

#include "core/folders.h"

#include <QFileDialog>
#include <QLineEdit>

namespace skywell
{

void browseForFolder(QWidget *parent, QLineEdit *box)
{
    const QString current = box->text();
    QFileDialog dialog(parent, kFolderPickerTitle);
    dialog.setObjectName(QStringLiteral("folderPicker"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (folderExists(current))
        dialog.setDirectory(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString picked = dialog.selectedFiles().front();
    while (picked.size() > 1 && picked.endsWith(QLatin1Char('/')))
        picked.chop(1);
    box->setText(picked);
}

} // namespace skywell
