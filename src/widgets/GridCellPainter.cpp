#include "GridCellPainter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include <cmath>

const QStaticText &GridCellPainter::laidOut(const QString &text, const QFont &font) const
{
    if (font != m_font) {
        m_texts.clear();
        m_font = font;
    }
    if (const QStaticText *kept = m_texts.object(text))
        return *kept;
    auto *laid = new QStaticText(text);
    laid->setTextFormat(Qt::PlainText); // a name holding "<b>" is shown as typed
    laid->setPerformanceHint(QStaticText::AggressiveCaching);
    laid->prepare(QTransform(), font);
    m_texts.insert(text, laid);
    return *laid;
}

int GridCellPainter::textWidth(const QString &text, const QFont &font) const
{
    if (text.isEmpty())
        return 0;
    return int(std::ceil(laidOut(text, font).size().width()));
}

int GridCellPainter::textMargin(const QWidget *widget)
{
    const QStyle *style = widget ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

void GridCellPainter::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();

    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    if (!opt.text.isEmpty()) {
        painter->save();
        // The colours the style's own item painting takes.
        QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
            group = QPalette::Inactive;
        painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                      : QPalette::Text));
        painter->setFont(opt.font);

        const int margin = textMargin(widget);
        const QRect room = opt.rect.adjusted(margin, 0, -margin, 0);
        QString text = opt.text;
        int width = textWidth(text, opt.font);
        if (width > room.width()) {
            text = QFontMetrics(opt.font).elidedText(text, opt.textElideMode, room.width());
            width = textWidth(text, opt.font);
        }
        const Qt::Alignment align = QStyle::visualAlignment(opt.direction, opt.displayAlignment);
        int x = room.left();
        if (align & Qt::AlignRight)
            x = room.right() + 1 - width;
        else if (align & Qt::AlignHCenter)
            x = room.left() + (room.width() - width) / 2;
        // A line holding Chinese takes the taller fallback font's height; centred by its own
        // height, it stands on the same middle as a line of digits.
        const QStaticText &line = laidOut(text, opt.font);
        const int height = int(std::ceil(line.size().height()));
        int y = room.top() + (room.height() - height) / 2;
        if (align & Qt::AlignTop)
            y = room.top();
        else if (align & Qt::AlignBottom)
            y = room.bottom() + 1 - height;
        painter->setClipRect(opt.rect, Qt::IntersectClip);
        painter->drawStaticText(QPointF(x, y), line);
        painter->restore();
    }

    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &opt, widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor =
            opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}
