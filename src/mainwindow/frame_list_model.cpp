#include "frame_list_model.h"

#include <exception>

#include "application.h"

namespace tessaron {

namespace {
constexpr int kNameColumn = 0;
constexpr int kRawSizeColumn = 1;
}  // namespace

TFrameListModel::TFrameListModel(RowDataHandler rowData, QObject* parent)
    : QAbstractTableModel(parent), rowData_(std::move(rowData)) {}

void TFrameListModel::SetRowCount(int count) {
    beginResetModel();
    rowCount_ = count;
    lastRow_.reset();
    endResetModel();
}

int TFrameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int TFrameListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

const TListItem& TFrameListModel::Row(int row) const {
    if (!lastRow_ || lastRow_->Index != row) {
        TListItem item;
        item.Index = row;
        ++requests_;
        // Rows are asked for while the list paints: an error must not unwind
        // through Qt's painting, so it is reported once the paint is over
        // and the row stays blank.
        try {
            rowData_(item);
        } catch (const std::exception& error) {
            item = TListItem{row, {}, {}};
            ReportExceptionLater(QString::fromLocal8Bit(error.what()));
        }
        lastRow_ = std::move(item);
    }
    return *lastRow_;
}

QVariant TFrameListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount_) return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == kRawSizeColumn ? int(Qt::AlignRight | Qt::AlignVCenter)
                                                : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    const TListItem& item = Row(index.row());
    if (index.column() == kNameColumn) return item.Caption;
    return item.SubItems.value(index.column() - 1);
}

QVariant TFrameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) return section == kNameColumn ? QStringLiteral("Name") : QStringLiteral("Raw size");
    if (role == Qt::TextAlignmentRole)
        return section == kRawSizeColumn ? int(Qt::AlignRight | Qt::AlignVCenter)
                                         : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TFrameListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace tessaron
