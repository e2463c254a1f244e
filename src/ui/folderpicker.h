#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace skywell
{

// "Browse": the desktop's folder picker titled "Select A Folder", starting
// in the box's folder when it exists. A picked folder replaces the box's
// text (no trailing "/": accepting adds it); Cancel leaves it.
void browseForFolder(QWidget *parent, QLineEdit *box);

inline const QString kFolderPickerTitle = QStringLiteral("Select A Folder");

} // namespace skywell
