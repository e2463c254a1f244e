#pragma once

#include "tuning/catalogueline.h"

#include <QDialog>

#include <optional>

namespace skywell
{

class CatalogueModel;

// A plain list of the catalogue's names with Find, OK and Cancel; what it
// lists and what a pick yields is the catalogue model's.
class PickDialog final : public QDialog
{
    Q_OBJECT
public:
    PickDialog(CatalogueModel &model, QWidget *parent = nullptr);

    // Runs the dialog on the catalogue of programFolder; empty on Cancel.
    static std::optional<PickResult> pick(CatalogueMode mode, const QString &programFolder, std::int64_t now,
                                          QWidget *parent);

private:
    CatalogueModel &m_model;
};

} // namespace skywell
