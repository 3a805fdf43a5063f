#pragma once
// The slot list: a report-style list whose rows carry a key. A row chosen
// with the mouse or the keyboard is reported as one selection; a selection
// the program makes is not. Once a row is selected, one always stays
// selected: clicks on empty space and Ctrl+click do not clear it.
#include <QTreeWidget>

namespace varnholt {

class SlotList final : public QTreeWidget {
  Q_OBJECT
 public:
  explicit SlotList(QWidget* parent = nullptr);

  static constexpr int kKeyRole = Qt::UserRole;

  // 1-based position of the selected row, 0 when none is selected.
  int selectedPosition() const;
  QString key(int row) const;

 Q_SIGNALS:
  void userSelected();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;
};

}  // namespace varnholt
