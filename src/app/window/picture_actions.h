#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class Desktop;
class QAbstractItemView;
class ShownPictures;

// What can be done with the pictures selected in the list or the grid: the views' context
// menu and Ctrl+C. Open the pictures or their source pages (only http and https addresses,
// at most kMaxOpened at once), copy their addresses one per line, download them.
class PictureActions : public QObject {
    Q_OBJECT
public:
    // More would flood the desktop with browser tabs.
    static constexpr int kMaxOpened = 20;

    // download receives the table rows to download.
    PictureActions(ShownPictures& shown, Desktop& desktop, std::function<void(const std::vector<int>&)> download,
                   QObject* parent = nullptr);

    // Gives the view the context menu and Ctrl+C.
    void attach(QAbstractItemView& view);

    // The table rows selected in the view, in the view's order.
    std::vector<int> selectedTableRows(const QAbstractItemView& view) const;
    // How many addresses were handed to the desktop.
    int openPictures(const std::vector<int>& tableRows);
    int openSources(const std::vector<int>& tableRows);
    // The addresses, one a line, in the order given; also put on the clipboard.
    QString copyAddresses(const std::vector<int>& tableRows);

private:
    int open(const std::vector<int>& tableRows, int column);

    ShownPictures& m_shown;
    Desktop& m_desktop;
    std::function<void(const std::vector<int>&)> m_download;
};
