#pragma once

#include <QString>
#include <QTableView>

#include <optional>

class PictureTable;

// ListView1: the picture table in report view. A header click sorts the table once by that
// column; a double-click on a row asks to view the picture at the row's address.
class PictureView : public QTableView {
    Q_OBJECT
public:
    explicit PictureView(PictureTable& table, QWidget* parent = nullptr);

    // The "网址" of the selected row, or nothing when no row is selected.
    std::optional<QString> selectedAddress() const;

signals:
    void viewPictureRequested(const QString& address);

private:
    void sortByHeader(int section);

    PictureTable& m_table;
};
