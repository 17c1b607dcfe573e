#pragma once

#include <QCheckBox>

// A three-state check box that a click moves from unchecked to checked, from
// checked to mixed and from mixed back to unchecked. Qt's own order passes
// through mixed first, which would make "allow for everybody" two clicks away
// on a box that starts unchecked; administrators expect one.
class CThreeStateCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit CThreeStateCheckBox(const QString &text, QWidget *parent = nullptr);

protected:
    void nextCheckState() override;
};
