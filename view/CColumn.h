#pragma once

#include <QString>

// One column of the user list: which user field it shows, its title (also
// its value name in the settings), where it stands, how wide it is and how
// its texts are aligned. A negative position hides the column; hidden
// columns keep their place in the order by the position's absolute value.
class CColumn
{
public:
    // The list's column formats.
    enum Alignment { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };
    static constexpr int kDefaultWidth = 100;
    // Where the Display page parks a column it hides.
    static constexpr int kHiddenPosition = -1000;
    // Stored widths outside this range are not believed.
    static constexpr int kMaxWidth = 4000;

    CColumn(int nIndex, const QString &csTitle, int nPosition);
    // Builds the column from its stored text "position/width/alignment".
    CColumn(int nIndex, const QString &csTitle, const QString &csStored);
    CColumn(const CColumn &other) = default;
    CColumn &operator=(const CColumn &other) = default;

    bool IsVisible() const { return m_nPosition >= 0; }
    void Hide() { m_nPosition = kHiddenPosition; }
    void SetPosition(int nPosition) { m_nPosition = nPosition; }
    void SetWidth(int nWidth);

    int GetIndex() const { return m_nIndex; }
    QString GetTitle() const { return m_csTitle; }
    int GetPosition() const { return m_nPosition; }
    int GetWidth() const { return m_nWidth; }
    int GetAlignment() const { return m_nAlignment; }

    // "%d/%d/%d" of position, width and alignment.
    QString GetStoredText() const;

    // Whether this column comes before other in the column order.
    bool IsBefore(const CColumn &other) const;
    bool operator<(const CColumn &other) const { return IsBefore(other); }

    // The C runtime's atoi on a stored field, saturated to the int range.
    static int ParseNumber(QStringView field);

private:
    void ParseStoredText(const QString &csStored);

    int m_nIndex;
    QString m_csTitle;
    int m_nPosition;
    int m_nWidth = kDefaultWidth;
    int m_nAlignment = AlignLeft;
};
