#pragma once

#include <QString>

// Texts that the search and the downloads write in Chinese, as the saved lists and the search
// store keep them, shown in the window's language.

// A browser's status text: "完成", "正在打开 <address>..."; others as they are.
QString shownBrowserStatus(const QString& status);
// A "下载状态" cell: "等待下载", "正在下载", "下载完成", "下载完成：与 <file> 相同",
// "下载失败：<reason>", and the page list's "下载出错", "提取完成"; others as they are.
QString shownDownloadStatus(const QString& status);

#include <QIdentityProxyModel>

// The page table as ListView2 shows it: its "下载状态" in the window's language.
class ShownPageTable : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};
