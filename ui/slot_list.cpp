#include "ui/slot_list.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace varnholt {

SlotList::SlotList(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  setHeaderLabels({});
  setColumnCount(0);
  connect(this, &QTreeWidget::itemClicked, this, [this] { Q_EMIT userSelected(); });
}

int SlotList::selectedPosition() const {
  const QList<QTreeWidgetItem*> items = selectedItems();
  if (items.isEmpty()) return 0;
  return indexOfTopLevelItem(items.front()) + 1;
}

QString SlotList::key(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->data(0, kKeyRole).toString() : QString();
}

void SlotList::keyPressEvent(QKeyEvent* event) {
  const int before = selectedPosition();
  QTreeWidget::keyPressEvent(event);
  if (selectedPosition() != before && selectedPosition() != 0) Q_EMIT userSelected();
}

QItemSelectionModel::SelectionFlags SlotList::selectionCommand(const QModelIndex& index,
                                                                const QEvent*) const {
  if (!index.isValid()) return QItemSelectionModel::NoUpdate;
  return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

}  // namespace varnholt
