#include "app/window/logo_image.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

LogoImage::LogoImage(QWidget* parent) : QLabel(parent), m_logo(drawLogo())
{
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("点击访问Brinvale网站..."));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QPixmap LogoImage::drawLogo()
{
    QPixmap logo(360, 90);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 90);
    sky.setColorAt(0, QColor(40, 110, 190));
    sky.setColorAt(1, QColor(15, 60, 120));
    QPainterPath frame;
    frame.addRoundedRect(QRectF(1, 1, 358, 88), 14, 14);
    painter.fillPath(frame, sky);

    // A small mountain and sun: pictures found on a whole site.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 210, 80));
    painter.drawEllipse(QPointF(44, 32), 12, 12);
    painter.setBrush(QColor(120, 200, 120));
    painter.drawPolygon(QPolygonF({QPointF(14, 76), QPointF(40, 44), QPointF(56, 60),
                                   QPointF(66, 50), QPointF(86, 76)}));

    QFont name = painter.font();
    name.setPixelSize(40);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(Qt::white);
    painter.drawText(QRect(100, 6, 250, 52), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Brinvale"));
    QFont motto = name;
    motto.setPixelSize(16);
    motto.setBold(false);
    painter.setFont(motto);
    painter.setPen(QColor(210, 230, 255));
    painter.drawText(QRect(102, 56, 250, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("software that finds things"));
    return logo;
}

void LogoImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void LogoImage::resizeEvent(QResizeEvent* event)
{
    // The logo keeps its proportions inside the control's rectangle.
    setPixmap(m_logo.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    QLabel::resizeEvent(event);
}
