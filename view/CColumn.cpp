#include "view/CColumn.h"

#include <QList>

#include <limits>

namespace {

// Positions far outside the eleven columns carry no meaning; keeping them
// small means the absolute value used for ordering can never overflow.
constexpr int kPositionLimit = 10000;

int AbsolutePosition(int nPosition)
{
    return nPosition < 0 ? -nPosition : nPosition;
}

} // namespace

CColumn::CColumn(int nIndex, const QString &csTitle, int nPosition)
    : m_nIndex(nIndex), m_csTitle(csTitle),
      m_nPosition(qBound(-kPositionLimit, nPosition, kPositionLimit))
{
}

CColumn::CColumn(int nIndex, const QString &csTitle, const QString &csStored)
    : m_nIndex(nIndex), m_csTitle(csTitle), m_nPosition(kHiddenPosition)
{
    ParseStoredText(csStored);
}

void CColumn::SetWidth(int nWidth)
{
    m_nWidth = nWidth >= 0 && nWidth <= kMaxWidth ? nWidth : kDefaultWidth;
}

QString CColumn::GetStoredText() const
{
    return QStringLiteral("%1/%2/%3").arg(m_nPosition).arg(m_nWidth).arg(m_nAlignment);
}

bool CColumn::IsBefore(const CColumn &other) const
{
    return AbsolutePosition(m_nPosition) < AbsolutePosition(other.m_nPosition);
}

int CColumn::ParseNumber(QStringView field)
{
    qsizetype i = 0;
    // isspace() of the C locale: blank, tab, line feed, VT, form feed, CR.
    while (i < field.size() && (field[i] == u' ' || (field[i] >= u'\t' && field[i] <= u'\r')))
        ++i;
    bool bNegative = false;
    if (i < field.size() && (field[i] == u'-' || field[i] == u'+'))
        bNegative = field[i++] == u'-';
    qint64 nValue = 0;
    for (; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i) {
        nValue = nValue * 10 + (field[i].unicode() - u'0');
        if (nValue > std::numeric_limits<int>::max())
            return bNegative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(bNegative ? -nValue : nValue);
}

void CColumn::ParseStoredText(const QString &csStored)
{
    // Empty pieces between slashes are not fields, so "2//150" is position
    // 2, width 150. Anything after the third field is ignored.
    const QList<QStringView> fields =
        QStringView(csStored).split(u'/', Qt::SkipEmptyParts);
    if (fields.size() > 0)
        m_nPosition = qBound(-kPositionLimit, ParseNumber(fields[0]), kPositionLimit);
    if (fields.size() > 1)
        SetWidth(ParseNumber(fields[1]));
    if (fields.size() > 2) {
        const int nAlignment = ParseNumber(fields[2]);
        m_nAlignment = nAlignment >= AlignLeft && nAlignment <= AlignCenter ? nAlignment : AlignLeft;
    }
}
