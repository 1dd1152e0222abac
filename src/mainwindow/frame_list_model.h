// The frame list's rows in virtual mode: the window sets the row count, and
// the texts of a row are asked from the window (ListView1Data) only when the
// list draws that row.
#pragma once

#include <functional>
#include <optional>

#include <QAbstractTableModel>
#include <QStringList>

namespace tessaron {

// One row as the row-data handler fills it.
struct TListItem {
    int Index = 0;        // the row number
    QString Caption;      // "Name" column
    QStringList SubItems; // further columns: "Raw size"
};

class TFrameListModel : public QAbstractTableModel {
public:
    using RowDataHandler = std::function<void(TListItem&)>;

    explicit TFrameListModel(RowDataHandler rowData, QObject* parent = nullptr);

    // Sets the number of rows; every row's texts are asked for afresh and no
    // row stays selected.
    void SetRowCount(int count);
    int RowCount() const { return rowCount_; }

    // How many times the row-data handler was asked, for tests.
    int RowDataRequests() const { return requests_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const TListItem& Row(int row) const;

    RowDataHandler rowData_;
    int rowCount_ = 0;
    // The row drawn last: both columns of a row come from one request.
    mutable std::optional<TListItem> lastRow_;
    mutable int requests_ = 0;
};

}  // namespace tessaron
