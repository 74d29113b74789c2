#pragma once
// How the grid paints a cell: the style's item panel (selection, focus), then the cell's text on
// one line, laid out once and kept. The style's own item painting lays every cell's text out
// three times on each paint (to size it, to elide it, to draw it); a page of Chinese text costs
// milliseconds that way, and the grid repaints a page on every scroll.

#include <QCache>
#include <QFont>
#include <QStaticText>
#include <QStyledItemDelegate>

class GridCellPainter : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The width of the text as paint() lays it out in that font, without the cell's margins.
    int textWidth(const QString &text, const QFont &font) const;
    // The room a cell leaves on its left and right for the text, as the style gives it.
    static int textMargin(const QWidget *widget);

private:
    const QStaticText &laidOut(const QString &text, const QFont &font) const;

    // Texts laid out in m_font, by their text; most cells of a list repeat (names, states, days).
    mutable QCache<QString, QStaticText> m_texts{4096};
    mutable QFont m_font;
};
