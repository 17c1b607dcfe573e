#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The texts of one row's cells in one block, so that a row costs a single
// allocation for all of them: the number of cells and the end of each text
// as 32-bit words, then the texts back to back.
class CCellTexts
{
public:
    void Assign(const QByteArray *pTexts, qsizetype nCount);
    void Clear() { m_block.clear(); }
    qsizetype Count() const { return m_block.isEmpty() ? 0 : Word(0); }
    // The text of cell i; empty for a cell that does not exist. Valid until
    // the texts are assigned again.
    QByteArrayView At(qsizetype i) const;

private:
    static qsizetype Base(qsizetype nCount) { return qsizetype(sizeof(quint32)) * (nCount + 1); }
    qsizetype Word(qsizetype i) const;

    QByteArray m_block;
};
