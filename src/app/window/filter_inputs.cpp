#include "app/window/filter_inputs.h"

#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>

namespace {

constexpr int kLargestFigure = 99'999; // pixels

QLineEdit* figureBox(QWidget* frame, const char* name, const QString& hint, const QRect& rect)
{
    auto* box = new QLineEdit(frame);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(rect);
    box->setPlaceholderText(hint);
    box->setToolTip(hint);
    box->setValidator(new QIntValidator(1, kLargestFigure, box));
    return box;
}

} // namespace

FilterInputs::FilterInputs(QWidget* frame, const QRect& text, const QRect& minWidth, const QRect& minHeight,
                           const QRect& type)
{
    m_text = new QLineEdit(frame);
    m_text->setObjectName(QStringLiteral("FilterText"));
    m_text->setGeometry(text);
    m_text->setPlaceholderText(tr("筛选"));
    m_text->setToolTip(tr("网址或文件名中的文字；以 / 开头为正则表达式"));
    m_text->setClearButtonEnabled(true);
    m_minWidth = figureBox(frame, "FilterMinWidth", tr("最小宽"), minWidth);
    m_minHeight = figureBox(frame, "FilterMinHeight", tr("最小高"), minHeight);

    m_type = new QComboBox(frame);
    m_type->setObjectName(QStringLiteral("FilterType"));
    m_type->setGeometry(type);
    m_type->setToolTip(tr("图片类型"));
    m_type->addItem(tr("全部"), QStringList());
    const QList<QStringList> types = {
        {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe")},
        {QStringLiteral("png")}, {QStringLiteral("gif")}, {QStringLiteral("webp")}, {QStringLiteral("svg")},
        {QStringLiteral("avif")}, {QStringLiteral("bmp")}, {QStringLiteral("ico")}, {QStringLiteral("tif")},
        {QStringLiteral("jxl")}};
    for (const QStringList& group : types)
        m_type->addItem(group.constFirst(), group);

    connect(m_text, &QLineEdit::textChanged, this, [this] {
        // An unfinished expression keeps no rows back; the box says it is not valid.
        const PictureFilter now = filter();
        const bool bad = !now.match.pattern().isEmpty() && !now.match.isValid();
        m_text->setStyleSheet(bad ? QStringLiteral("color: red") : QString());
        emit changed();
    });
    connect(m_minWidth, &QLineEdit::textChanged, this, &FilterInputs::changed);
    connect(m_minHeight, &QLineEdit::textChanged, this, &FilterInputs::changed);
    connect(m_type, &QComboBox::currentIndexChanged, this, &FilterInputs::changed);
}

PictureFilter FilterInputs::filter() const
{
    return filterOf(m_text->text(), m_minWidth->text(), m_minHeight->text(), m_type->currentData().toStringList());
}

PictureFilter FilterInputs::filterOf(const QString& text, const QString& minWidth, const QString& minHeight,
                                     const QStringList& types)
{
    PictureFilter filter;
    if (text.startsWith(QLatin1Char('/')))
        filter.match = QRegularExpression(text.mid(1), QRegularExpression::CaseInsensitiveOption);
    else
        filter.text = text.trimmed();
    bool ok = false;
    if (const int width = minWidth.toInt(&ok); ok && width > 0)
        filter.minWidth = width;
    if (const int height = minHeight.toInt(&ok); ok && height > 0)
        filter.minHeight = height;
    filter.types = types;
    return filter;
}
