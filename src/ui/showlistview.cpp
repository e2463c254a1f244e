#include "ui/showlistview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace skywell
{

ShowListView::ShowListView(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Next Recording")});
    setColumnWidth(0, 180);
    setColumnWidth(1, 256);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &ShowListView::sortRequested);
    connect(header(), &QHeaderView::sectionResized, this, &ShowListView::updateToolTips);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { Q_EMIT rowDoubleClicked(); });
}

void ShowListView::fill(const ShowList &shows, const std::function<QString(const Show &)> &rowText)
{
    // The selection belongs to a Show, not to a row: it follows the Show
    // through sorting and moves, and goes when the Show goes.
    const QList<QTreeWidgetItem *> selected = selectedItems();
    const QVariant selectedShow = selected.isEmpty() ? QVariant() : selected.first()->data(0, kSerialRole);
    const QTreeWidgetItem *current = currentItem();
    const QVariant currentShow = current ? current->data(0, kSerialRole) : QVariant();
    setUpdatesEnabled(false);
    while (topLevelItemCount() > int(shows.size()))
        delete takeTopLevelItem(topLevelItemCount() - 1);
    QList<QTreeWidgetItem *> added;
    for (int row = topLevelItemCount(); row < int(shows.size()); ++row)
        added.append(new QTreeWidgetItem);
    addTopLevelItems(added);
    for (int row = 0; row < int(shows.size()); ++row) {
        QTreeWidgetItem *item = topLevelItem(row);
        const Show &show = shows[std::size_t(row)];
        item->setText(0, fieldText(show.name));
        item->setText(1, rowText(show));
        item->setData(0, kSerialRole, int(show.serial));
    }
    clearSelection();
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = topLevelItem(row);
        const QVariant serial = item->data(0, kSerialRole);
        if (serial == currentShow)
            setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        if (serial == selectedShow)
            item->setSelected(true);
    }
    setUpdatesEnabled(true);
    updateToolTips();
}

void ShowListView::updateToolTips()
{
    // The cell's text margins, as the style draws them.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 4;
    const QFontMetrics metrics(font());
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = topLevelItem(row);
        for (int column = 0; column < columnCount(); ++column) {
            const QString text = item->text(column);
            const bool cut = metrics.horizontalAdvance(text) > columnWidth(column) - margin;
            item->setToolTip(column, cut ? text : QString());
        }
    }
}

void ShowListView::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Delete:
            Q_EMIT deleteRequested();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (selectedRow() >= 0)
                Q_EMIT rowDoubleClicked();
            return;
        case Qt::Key_F2:
            Q_EMIT editRequested();
            return;
        default:
            break;
        }
    }
    QTreeWidget::keyPressEvent(event);
}

int ShowListView::selectedRow() const
{
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.first());
}

void ShowListView::selectRow(int row)
{
    QTreeWidgetItem *item = topLevelItem(row);
    if (!item)
        return;
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
    setFocus();
}

} // namespace skywell
