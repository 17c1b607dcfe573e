#pragma once

#include <QList>
#include <QPointF>
#include <QWidget>

// The picture beside a restriction page's boxes: a sketch of the part of the
// client window the page concerns, with a red marker on each feature. A
// marker carries the number of its box's label (the key's bit plus one); a
// page with a single box has a single marker and no number, like its label.
class CRestrictionPicture : public QWidget
{
    Q_OBJECT

public:
    struct Marker
    {
        QPointF centre; // of the red disc
        QPointF target; // the feature it points at
    };

    explicit CRestrictionPicture(int nGroup, QWidget *parent = nullptr);

    int GetGroup() const { return m_nGroup; }
    // One marker per key of the group, in bit order, in picture coordinates.
    static QList<Marker> GetMarkers(int nGroup);
    // The text a marker shows: the bit plus one, or nothing on a one-key page.
    static QString MarkerText(int nGroup, int nBit);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_nGroup;
};
