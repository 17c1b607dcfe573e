#include "uilib/CColorStatic.h"

#include "uilib/SetGetCoolDisplay.h"

#include <QPainter>

CColorStatic::CColorStatic(QWidget *parent)
    : QLabel(parent), m_textColor(Qt::white), m_bkColor(0x1f, 0x4e, 0x79)
{
    setMargin(4);
}

void CColorStatic::SetTextColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void CColorStatic::SetBkColor(const QColor &color)
{
    m_bkColor = color;
    update();
}

void CColorStatic::paintEvent(QPaintEvent *event)
{
    int nColors = 1;
    SetGetCoolDisplay(0, nColors, COOL_DISPLAY_COLORS);
    if (!nColors) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), m_bkColor);
    painter.setPen(m_textColor);
    painter.drawText(contentsRect().adjusted(margin(), 0, -margin(), 0), int(alignment()), text());
}
