#pragma once

#include "shows/show.h"

#include <QTreeWidget>

#include <functional>

namespace skywell
{

// The Show list's two columns, one row per Show in list order. Sorting is
// the list's business: a header click only asks for it. Delete asks to
// delete the selected Show, Enter does what a double click does and F2
// asks to edit; a text cut off in its column carries the whole text as
// its tooltip.
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
    void deleteRequested();
    void editRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateToolTips();
};

} // namespace skywell
