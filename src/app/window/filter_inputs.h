#pragma once

#include "lists/picture_filter.h"

#include <QObject>

class QComboBox;
class QLineEdit;
class QWidget;

// The filter row of Frame1, right of "停止下载": a text box (plain text found in the address
// or the file name; a leading "/" makes the rest a regular expression on the address), a
// minimum width, a minimum height and a type. Every change gives the new filter at once.
class FilterInputs : public QObject {
    Q_OBJECT
public:
    // Places its boxes on frame, each in the rectangle given (frame coordinates).
    FilterInputs(QWidget* frame, const QRect& text, const QRect& minWidth, const QRect& minHeight,
                 const QRect& type);

    PictureFilter filter() const;
    // The filter the boxes describe; types are the picture types of the chosen entry.
    static PictureFilter filterOf(const QString& text, const QString& minWidth, const QString& minHeight,
                                  const QStringList& types);

signals:
    void changed();

private:
    QLineEdit* m_text;
    QLineEdit* m_minWidth;
    QLineEdit* m_minHeight;
    QComboBox* m_type;
};
