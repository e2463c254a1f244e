#pragma once

#include "shows/show.h"

#include <QTreeWidget>

#include <functional>

namespace skywell
{

// The Show list's two columns, one row per Show in list order. Sorting is
// the list's business: a header click only asks for it.
class ShowListView final : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ShowListView(QWidget *parent = nullptr);

    // Rewrites every row from the list; column 2 comes from rowText. The
    // selected Show stays selected wherever its row now is.
    void fill(const ShowList &shows, const std::function<QString(const Show &)> &rowText);
    // The selected row, -1 when none.
    int selectedRow() const;
    void selectRow(int row);

    // Each row's Show serial.
    static constexpr int kSerialRole = Qt::UserRole;

Q_SIGNALS:
    void sortRequested(int column);
    void rowDoubleClicked();
};

} // namespace skywell
