#include "app/status_panels.h"

#include <QCoreApplication>

// Texts of the status bar: the window translates them, the headless runner shows the source.
static QString text(const char* source)
{
    return QCoreApplication::translate("StatusPanels", source);
}

QString pictureTotalText(int pictureRows)
{
    return text("图片总数：") + QString::number(pictureRows);
}

QString pageTotalText(int pageRows)
{
    return text("网页总数：") + QString::number(pageRows);
}

// Whole per cent, rounded down; integer arithmetic, so 29 of 100 is 29 and not 28.
static qint64 percent(qint64 part, qint64 whole)
{
    return part * 100 / whole;
}

QString overallProgressText(int lastDispatchedRow, int pageRows)
{
    const qint64 share = pageRows > 0 ? percent(qMax(lastDispatchedRow, 0), pageRows) : 0;
    return text("总进度：%1%").arg(share);
}

std::optional<QString> loadProgressText(int slot, int progress, int maximum)
{
    if (maximum <= 0)
        return std::nullopt;
    qint64 share = 0;
    if (progress > maximum)
        share = 100;
    else if (progress > 0)
        share = percent(progress, maximum);
    return text("进度：%1% -%2").arg(share).arg(slot);
}
