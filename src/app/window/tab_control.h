#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QTabWidget>

// SSTab1: a tab control whose pages hold widgets at fixed rectangles given relative to the
// whole control, tab strip included. What does not fit in the page area is cut off.
class TabControl : public QTabWidget {
    Q_OBJECT
public:
    using QTabWidget::QTabWidget;

    // Makes child a child of page tab, at rectOnControl.
    void placeOnTab(int tab, QWidget* child, const QRect& rectOnControl);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeAll();

    struct Placement {
        QPointer<QWidget> child;
        QRect rectOnControl;
    };
    QList<Placement> m_placements;
};
