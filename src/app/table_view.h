#pragma once
// A core Table shown in a QTableView. The core keeps the rows, their order and the selection;
// the view only mirrors them and passes the operator's clicks back.
#include <QAbstractTableModel>
#include <cstddef>

#include "form/table.h"

class QTableView;
class QWidget;

namespace vorstel {

// Mirrors a Table row by row: an insert, removal or move is passed on as such, so a long
// table is never redrawn whole for one row. The table must outlive the model.
class TableModel : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
public:
    explicit TableModel(Table& table, QObject* parent = nullptr);
    ~TableModel() override;

    Table& table() const { return table_; }
    // True between the two halves of a change, while the model's rows are in flux.
    bool changing() const { return changing_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void beforeInsert(std::size_t index) override;
    void afterInsert() override;
    void beforeRemove(std::size_t index) override;
    void afterRemove() override;
    void beforeMove(std::size_t from, std::size_t to) override;
    void afterMove() override;
    void cellChanged(std::size_t index, std::size_t column) override;
    void beforeReset() override;
    void afterReset() override;

    Table& table_;
    bool changing_ = false;
    bool moveAsReset_ = false;
};

// Pixels for a width in twips: 15 twips a pixel at 96 dpi, scaled to the screen's dpi.
int TwipsToPixels(int twips, int logicalDpi);

// A table view bound to `table`: named after the element, enabled and shown as it says,
// columns as wide as it says; a header click and a row click go to the table, and the
// table's selected row is the one shown selected. Single full-row selection, no editing,
// no sorting of its own.
QTableView* CreateTableView(Table& table, QWidget* parent = nullptr);

}  // namespace vorstel
