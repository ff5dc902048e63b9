#pragma once

#include <QString>
#include <QTableView>

#include <optional>

class ShownPictures;

// ListView1: the shown rows of the picture table in report view. A header click sorts the
// table once by that column; a double-click on a row asks to view the picture at the row's
// address. Rows are selected as in a file list: click, shift-click, ctrl-click, Ctrl+A.
class PictureView : public QTableView {
    Q_OBJECT
public:
    explicit PictureView(ShownPictures& shown, QWidget* parent = nullptr);

    // The "网址" of the current row when it is selected, or nothing.
    std::optional<QString> selectedAddress() const;

signals:
    void viewPictureRequested(const QString& address);

private:
    void sortByHeader(int section);

    ShownPictures& m_shown;
};
