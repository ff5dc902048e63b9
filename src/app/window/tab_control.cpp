#include "app/window/tab_control.h"

void TabControl::placeOnTab(int tab, QWidget* child, const QRect& rectOnControl)
{
    QWidget* page = widget(tab);
    if (!page)
        return;
    child->setParent(page);
    child->setGeometry(rectOnControl);
    m_placements.append({child, rectOnControl});
    placeAll();
}

void TabControl::showEvent(QShowEvent* event)
{
    QTabWidget::showEvent(event);
    placeAll();
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QTabWidget::resizeEvent(event);
    placeAll();
}

void TabControl::placeAll()
{
    // The page area is known only once the control has laid itself out for showing.
    if (!isVisible())
        return;
    for (const Placement& placement : m_placements) {
        if (!placement.child)
            continue;
        const QWidget* stack = placement.child->parentWidget()->parentWidget();
        const QPoint pageOrigin = stack->geometry().topLeft() + stack->contentsRect().topLeft();
        placement.child->setGeometry(placement.rectOnControl.translated(-pageOrigin));
    }
}
