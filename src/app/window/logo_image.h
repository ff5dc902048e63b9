#pragma once

#include <QLabel>
#include <QPixmap>

// Image1: the maker's logo, a 360 x 90 picture shown within the control's rectangle. A
// click on it asks to open the maker's home page.
class LogoImage : public QLabel {
    Q_OBJECT
public:
    explicit LogoImage(QWidget* parent = nullptr);

    static QPixmap drawLogo(); // 360 x 90

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap m_logo;
};
