#include "view/CCellTexts.h"

#include <cstring>

namespace {

// The block's bytes carry no alignment, so its words are copied in and out.
void SetWord(char *pData, qsizetype i, quint32 nWord)
{
    std::memcpy(pData + i * qsizetype(sizeof(quint32)), &nWord, sizeof nWord);
}

} // namespace

void CCellTexts::Assign(const QByteArray *pTexts, qsizetype nCount)
{
    qsizetype nSize = 0;
    for (qsizetype i = 0; i < nCount; ++i)
        nSize += pTexts[i].size();
    const qsizetype nBase = Base(nCount);
    m_block.resize(nBase + nSize);
    char *pData = m_block.data();
    SetWord(pData, 0, quint32(nCount));
    qsizetype nEnd = 0;
    for (qsizetype i = 0; i < nCount; ++i) {
        std::memcpy(pData + nBase + nEnd, pTexts[i].constData(), size_t(pTexts[i].size()));
        nEnd += pTexts[i].size();
        SetWord(pData, i + 1, quint32(nEnd));
    }
}

QByteArrayView CCellTexts::At(qsizetype i) const
{
    const qsizetype nCount = Count();
    if (i < 0 || i >= nCount)
        return {};
    const qsizetype nBegin = i == 0 ? 0 : Word(i);
    return QByteArrayView(m_block.constData() + Base(nCount) + nBegin, Word(i + 1) - nBegin);
}

qsizetype CCellTexts::Word(qsizetype i) const
{
    quint32 nWord;
    std::memcpy(&nWord, m_block.constData() + i * qsizetype(sizeof(quint32)), sizeof nWord);
    return qsizetype(nWord);
}
