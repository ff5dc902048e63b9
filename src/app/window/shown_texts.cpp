#include "app/window/shown_texts.h"

#include "lists/page_table.h"

#include <QCoreApplication>

namespace {

QString text(const char* source)
{
    return QCoreApplication::translate("ShownTexts", source);
}

// The rest of status after prefix, or nothing when status does not start with it.
std::optional<QString> after(const QString& status, const QString& prefix)
{
    if (!status.startsWith(prefix))
        return std::nullopt;
    return status.mid(prefix.size());
}

} // namespace

QString shownBrowserStatus(const QString& status)
{
    if (status == QStringLiteral("完成"))
        return text("完成");
    const QString opening = QStringLiteral("正在打开 ");
    if (status.startsWith(opening) && status.endsWith(QStringLiteral("...")))
        return text("正在打开 %1...").arg(status.mid(opening.size(), status.size() - opening.size() - 3));
    return status;
}

QString shownDownloadStatus(const QString& status)
{
    if (status.isEmpty())
        return status;
    for (const char* whole : {QT_TRANSLATE_NOOP("ShownTexts", "等待下载"), QT_TRANSLATE_NOOP("ShownTexts", "正在下载"),
                              QT_TRANSLATE_NOOP("ShownTexts", "下载完成"), QT_TRANSLATE_NOOP("ShownTexts", "下载出错"),
                              QT_TRANSLATE_NOOP("ShownTexts", "提取完成"), QT_TRANSLATE_NOOP("ShownTexts", "不是网址"),
                              QT_TRANSLATE_NOOP("ShownTexts", "长时间没有收到数据"),
                              QT_TRANSLATE_NOOP("ShownTexts", "超过下载时限")}) {
        if (status == QString::fromUtf8(whole))
            return text(whole);
    }
    if (const auto same = after(status, QStringLiteral("下载完成：与 "));
        same && same->endsWith(QStringLiteral(" 相同")))
        return text("下载完成：与 %1 相同").arg(same->chopped(3));
    if (const auto reason = after(status, QStringLiteral("下载失败：")))
        return text("下载失败：%1").arg(shownDownloadStatus(*reason));
    return status;
}

QVariant ShownPageTable::data(const QModelIndex& index, int role) const
{
    const QVariant value = QIdentityProxyModel::data(index, role);
    if (role == Qt::DisplayRole && index.column() == PageTable::DownloadStatus)
        return shownDownloadStatus(value.toString());
    return value;
}
