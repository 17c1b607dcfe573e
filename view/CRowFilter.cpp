#include "view/CRowFilter.h"

#include "platform/CodePage.h"
#include "store/CUser.h"
#include "view/CUserListModel.h"


namespace {

constexpr char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

bool IsAscii(QByteArrayView text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Whether text, plain ASCII, contains key (lower case) without regard to
// case. The first character is looked for with memchr in both cases, which
// keeps the common miss cheap.
bool ContainsAscii(QByteArrayView text, QByteArrayView key)
{
    const qsizetype nKey = key.size();
    if (nKey == 0)
        return true;
    if (text.size() < nKey)
        return false;
    const char *const pText = text.data();
    const qsizetype nLast = text.size() - nKey;
    const char first = key[0];
    for (qsizetype i = 0; i <= nLast; ++i) {
        if (Lower(pText[i]) != first)
            continue;
        qsizetype j = 1;
        while (j < nKey && Lower(pText[i + j]) == key[j])
            ++j;
        if (j == nKey)
            return true;
    }
    return false;
}

} // namespace

void CRowFilter::SetText(const QString &text)
{
    m_text = text;
    m_folded = text.toCaseFolded();
    m_bAscii = true;
    for (const QChar c : std::as_const(m_folded))
        if (c.unicode() >= 0x80)
            m_bAscii = false;
    m_asciiKey = m_bAscii ? m_folded.toLatin1() : QByteArray();
}

bool CRowFilter::Contains(QByteArrayView text) const
{
    if (m_text.isEmpty())
        return true;
    // A text in a single-byte code page that is plain ASCII reads the same
    // in every code page; only the others need decoding. A double-byte code
    // page may put an ASCII byte inside a character, so a text with any
    // other byte is never searched as bytes.
    if (IsAscii(text))
        return m_bAscii && ContainsAscii(text, m_asciiKey);
    return CodePage::Decode(text).toCaseFolded().contains(m_folded);
}

void CRowFilter::Prepare(const CUserListModel &model)
{
    m_bLoginShown = false;
    m_bNameShown = false;
    for (const CUserListModel::Column &column : model.GetColumns()) {
        m_bLoginShown = m_bLoginShown || column.nField == CUser::ColLogin;
        m_bNameShown = m_bNameShown || column.nField == CUser::ColFullName;
    }
}

bool CRowFilter::Matches(const CUserListModel &model, int nRow) const
{
    if (m_text.isEmpty())
        return true;
    // The login and the real name count even when no column shows them;
    // a column that shows them is searched once, as a cell.
    const CRowObject object = model.GetRowObject(nRow);
    if (const CUser *pUser = object.GetUser())
        if ((!m_bLoginShown && Contains(pUser->GetLogin()))
            || (!m_bNameShown && Contains(pUser->GetFullName())))
            return true;
    const int nColumns = model.columnCount();
    for (int nColumn = 0; nColumn < nColumns; ++nColumn)
        if (Contains(model.GetCellView(nRow, nColumn)))
            return true;
    return false;
}

bool CRowFilter::Narrows(const QString &older, const QString &newer)
{
    return newer.toCaseFolded().contains(older.toCaseFolded());
}
