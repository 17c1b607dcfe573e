#pragma once

#include <QColor>
#include <QLabel>

// A static text with its own text and background colours, used by pages for
// their headings. The colours are painted only while the library's display
// setting for colours is on; otherwise it looks like any label.
class CColorStatic : public QLabel
{
    Q_OBJECT

public:
    explicit CColorStatic(QWidget *parent = nullptr);

    void SetTextColor(const QColor &color);
    void SetBkColor(const QColor &color);
    QColor GetTextColor() const { return m_textColor; }
    QColor GetBkColor() const { return m_bkColor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_textColor;
    QColor m_bkColor;
};
