#include "table_view.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QTableView>
#include <cmath>
#include <optional>

namespace vorstel {

TableModel::TableModel(Table& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {
    table_.addObserver(this);
}

TableModel::~TableModel() { table_.removeObserver(this); }

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.rowCount());
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.columnCount());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() < 0 || index.column() < 0 ||
        static_cast<std::size_t>(index.row()) >= table_.rowCount())
        return {};
    const std::string_view text = table_.rowAtIndex(static_cast<std::size_t>(index.row()))
                                  .cell(static_cast<std::size_t>(index.column()));
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        static_cast<std::size_t>(section) >= table_.columnCount())
        return {};
    const std::string& caption = table_.columns()[static_cast<std::size_t>(section)].caption;
    return QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TableModel::beforeInsert(std::size_t index) {
    changing_ = true;
    beginInsertRows({}, static_cast<int>(index), static_cast<int>(index));
}

void TableModel::afterInsert() {
    endInsertRows();
    changing_ = false;
}

void TableModel::beforeRemove(std::size_t index) {
    changing_ = true;
    beginRemoveRows({}, static_cast<int>(index), static_cast<int>(index));
}

void TableModel::afterRemove() {
    endRemoveRows();
    changing_ = false;
}

void TableModel::beforeMove(std::size_t from, std::size_t to) {
    changing_ = true;
    // Qt names the row the moved one will stand before, counted before the move.
    const int before = static_cast<int>(to > from ? to + 1 : to);
    moveAsReset_ = !beginMoveRows({}, static_cast<int>(from), static_cast<int>(from), {}, before);
    if (moveAsReset_) beginResetModel();
}

void TableModel::afterMove() {
    if (moveAsReset_) endResetModel();
    else endMoveRows();
    moveAsReset_ = false;
    changing_ = false;
}

void TableModel::cellChanged(std::size_t index, std::size_t column) {
    const QModelIndex at = this->index(static_cast<int>(index), static_cast<int>(column));
    emit dataChanged(at, at, {Qt::DisplayRole});
}

void TableModel::beforeReset() {
    changing_ = true;
    beginResetModel();
}

void TableModel::afterReset() {
    endResetModel();
    changing_ = false;
}

int TwipsToPixels(int twips, int logicalDpi) {
    return static_cast<int>(std::lround(twips / 15.0 * logicalDpi / 96.0));
}

namespace {

// Keeps the view's selection equal to the table's and turns the operator's clicks into the
// table's row clicks.
class TableBinding : public QObject {
public:
    TableBinding(Table& table, TableModel* model, QTableView* view)
        : QObject(view), table_(table), model_(model), view_(view) {
        view->viewport()->installEventFilter(this);
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { OnViewSelectionChanged(); });
        // A click on the row already selected changes no selection but is a click all the same.
        connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
            if (index.isValid() && selectedAtPress_ == static_cast<std::size_t>(index.row()))
                table_.rowClick(static_cast<std::size_t>(index.row()));
        });
    }

    void ShowTableSelection() {
        const std::optional<std::size_t> wanted = table_.selectedIndex();
        if (ViewRow() == wanted) return;
        QItemSelectionModel* selection = view_->selectionModel();
        mirroring_ = true;
        if (wanted) {
            selection->setCurrentIndex(model_->index(static_cast<int>(*wanted), 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        } else {
            selection->clear();
        }
        mirroring_ = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            selectedAtPress_ = table_.selectedIndex();
        return QObject::eventFilter(watched, event);
    }

private:
    std::optional<std::size_t> ViewRow() const {
        const QModelIndexList rows = view_->selectionModel()->selectedRows();
        if (rows.isEmpty()) return std::nullopt;
        return static_cast<std::size_t>(rows.first().row());
    }

    void OnViewSelectionChanged() {
        if (mirroring_ || model_->changing()) return;
        const std::optional<std::size_t> row = ViewRow();
        if (row && row != table_.selectedIndex()) table_.rowClick(*row);
        // The operator cannot take the selection away, and a disabled table ignores clicks.
        ShowTableSelection();
    }

    Table& table_;
    TableModel* model_;
    QTableView* view_;
    bool mirroring_ = false;
    std::optional<std::size_t> selectedAtPress_;
};

void ApplyColumnWidths(QTableView* view, const Table& table) {
    const int dpi = view->logicalDpiX();
    for (std::size_t c = 0; c < table.columnCount(); ++c)
        view->setColumnWidth(static_cast<int>(c), TwipsToPixels(table.columns()[c].widthTwips, dpi));
}

}  // namespace

QTableView* CreateTableView(Table& table, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(table.name().data(), static_cast<qsizetype>(table.name().size())));
    auto* model = new TableModel(table, view);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setSectionsClickable(true);
    view->horizontalHeader()->setSortIndicatorShown(false);
    view->horizontalHeader()->setHighlightSections(false);
    ApplyColumnWidths(view, table);
    view->setEnabled(table.enabled());
    if (!table.visible()) view->setHidden(true);  // showing it before it has a parent would open a window

    auto* binding = new TableBinding(table, model, view);
    binding->ShowTableSelection();
    QObject::connect(view->horizontalHeader(), &QHeaderView::sectionClicked, view,
                     [&table](int section) {
                         if (section >= 0) table.headerClick(static_cast<std::size_t>(section));
                     });

    // The table may outlive the view: its listener then finds the view gone.
    QPointer<QTableView> guard(view);
    QPointer<TableBinding> bindingGuard(binding);
    table.addListener([&table, guard, bindingGuard](Property p) {
        if (!guard) return;
        switch (p) {
            case Property::Selection:
            case Property::Rows:
                if (bindingGuard) bindingGuard->ShowTableSelection();
                break;
            case Property::Columns:
                ApplyColumnWidths(guard, table);
                break;
            case Property::Enabled:
                guard->setEnabled(table.enabled());
                break;
            case Property::Visible:
                guard->setVisible(table.visible());
                break;
            case Property::Focus:
                guard->setFocus();
                break;
            default:
                break;
        }
    });
    return view;
}

}  // namespace vorstel
