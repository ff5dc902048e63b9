#include "app/window/picture_actions.h"

#include "app/window/desktop.h"
#include "app/window/shown_pictures.h"
#include "lists/picture_table.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>

#include <algorithm>

PictureActions::PictureActions(ShownPictures& shown, Desktop& desktop,
                               std::function<void(const std::vector<int>&)> download, QObject* parent)
    : QObject(parent), m_shown(shown), m_desktop(desktop), m_download(std::move(download))
{
}

void PictureActions::attach(QAbstractItemView& view)
{
    view.setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto add = [&](const char* name, const QString& text, auto act) {
        auto* action = new QAction(text, &view);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, &view, act] { act(selectedTableRows(view)); });
        view.addAction(action);
        return action;
    };
    add("openPictures", tr("打开图片"), [this](const std::vector<int>& rows) { openPictures(rows); });
    add("openSources", tr("打开来源网页"), [this](const std::vector<int>& rows) { openSources(rows); });
    QAction* copy = add("copyAddresses", tr("复制网址"), [this](const std::vector<int>& rows) { copyAddresses(rows); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    add("downloadSelected", tr("下载所选图片"), [this](const std::vector<int>& rows) {
        if (!rows.empty())
            m_download(rows);
    });
}

std::vector<int> PictureActions::selectedTableRows(const QAbstractItemView& view) const
{
    // By ranges: Ctrl+A over a million rows is one range, not a million indexes.
    std::vector<int> rows;
    if (const QItemSelectionModel* selection = view.selectionModel()) {
        for (const QItemSelectionRange& range : selection->selection()) {
            for (int row = range.top(); row <= range.bottom(); ++row)
                rows.push_back(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int& row : rows)
        row = m_shown.tableRow(row);
    return rows;
}

int PictureActions::open(const std::vector<int>& tableRows, int column)
{
    int opened = 0;
    for (const int row : tableRows) {
        if (opened == kMaxOpened)
            break;
        const QString address = m_shown.table().cellText(row, PictureTable::Column(column));
        if (openWebAddress(m_desktop, address))
            ++opened;
    }
    return opened;
}

int PictureActions::openPictures(const std::vector<int>& tableRows)
{
    return open(tableRows, PictureTable::Address);
}

int PictureActions::openSources(const std::vector<int>& tableRows)
{
    // Pictures of one page share it: each page is opened once.
    std::vector<int> firstOfPage;
    QSet<QString> pages;
    for (const int row : tableRows) {
        const QString page = m_shown.table().cellText(row, PictureTable::Source);
        if (!page.isEmpty() && !pages.contains(page)) {
            pages.insert(page);
            firstOfPage.push_back(row);
        }
    }
    return open(firstOfPage, PictureTable::Source);
}

QString PictureActions::copyAddresses(const std::vector<int>& tableRows)
{
    QStringList lines;
    lines.reserve(qsizetype(tableRows.size()));
    for (const int row : tableRows)
        lines.append(m_shown.table().cellText(row, PictureTable::Address));
    QString text = lines.join(QLatin1Char('\n'));
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
    return text;
}
