#include "view/CColumnArray.h"

#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CRegistryAccess.h"

#include <QHash>

CColumnArray &CColumnArray::Shared()
{
    static CColumnArray s_columns;
    return s_columns;
}

int CColumnArray::Add(std::unique_ptr<CColumn> pColumn)
{
    auto it = m_columns.begin();
    while (it != m_columns.end() && (*it)->IsBefore(*pColumn))
        ++it;
    it = m_columns.insert(it, std::move(pColumn));
    return int(it - m_columns.begin());
}

void CColumnArray::RemoveAll()
{
    m_columns.clear();
}

CColumn *CColumnArray::GetAt(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetSize() ? m_columns[size_t(nIndex)].get() : nullptr;
}

CColumn *CColumnArray::FindColumnByPosition(int nPosition) const
{
    for (const auto &pColumn : m_columns)
        if (pColumn->GetPosition() == nPosition)
            return pColumn.get();
    return nullptr;
}

int CColumnArray::GetVisibleCount() const
{
    int nCount = 0;
    for (const auto &pColumn : m_columns)
        nCount += pColumn->IsVisible() ? 1 : 0;
    return nCount;
}

QList<int> CColumnArray::GetVisibleFields() const
{
    QList<int> fields;
    for (const auto &pColumn : m_columns)
        if (pColumn->IsVisible())
            fields.append(pColumn->GetIndex());
    return fields;
}

void CColumnArray::NormalizePositions()
{
    // Stored layouts may have gaps or two columns on one place; the list
    // addresses cells by position, so each visible column needs its own.
    int nNext = 0;
    for (const auto &pColumn : m_columns)
        if (pColumn->IsVisible())
            pColumn->SetPosition(nNext++);
}

QString CColumnArray::GetKeyPath()
{
    return QStringLiteral("Software\\Corvane\\Admin\\Columns");
}

QString CColumnArray::GetTitle(int nField)
{
    return CStringTable::Load(IDS_COLUMN_FIRST + nField);
}

QString CColumnArray::GetDefaultStoredText(int nField)
{
    return QStringLiteral("%1/%2/%3").arg(nField).arg(CColumn::kDefaultWidth).arg(0);
}

QString CColumnArray::GetOpenFailedMessage()
{
    return QStringLiteral("\nOpening Registry key HKEY_CURRENT_USER\\%1 failed!").arg(GetKeyPath());
}

void CColumnArray::LoadDefaults()
{
    RemoveAll();
    for (int nField = 0; nField < kFieldCount; ++nField)
        Add(std::make_unique<CColumn>(nField, GetTitle(nField), GetDefaultStoredText(nField)));
}

bool CColumnArray::LoadFromRegistry(QWidget *pParent)
{
    RemoveAll();
    m_bSaveBlocked = false;
    m_bStored = false;
    CRegistryAccess registry(HKEY_CURRENT_USER, GetKeyPath());
    QStringList names;
    QStringList data;
    if (!registry.OpenKey(1) || registry.GetValues(names, data) != 0) {
        CAppMessageBox::Exclamation(pParent, GetOpenFailedMessage());
        // The list stays usable; what is stored is left for the next run.
        m_bSaveBlocked = true;
        LoadDefaults();
        return false;
    }
    registry.CloseKey();

    QHash<QString, QString> stored;
    m_bStored = !names.isEmpty();
    if (names.isEmpty()) {
        for (int nField = 0; nField < kFieldCount; ++nField)
            stored.insert(GetTitle(nField), GetDefaultStoredText(nField));
    } else {
        for (qsizetype i = 0; i < names.size() && i < data.size(); ++i)
            stored.insert(names[i], data[i]);
    }
    for (int nField = 0; nField < kFieldCount; ++nField) {
        const QString csTitle = GetTitle(nField);
        const auto it = stored.constFind(csTitle);
        if (it != stored.constEnd())
            Add(std::make_unique<CColumn>(nField, csTitle, it.value()));
        else
            Add(std::make_unique<CColumn>(nField, csTitle, -1));
    }
    // A layout that shows nothing (every title renamed, say) would leave an
    // empty list with no way to see why.
    if (GetVisibleCount() == 0)
        LoadDefaults();
    NormalizePositions();
    return true;
}

bool CColumnArray::SaveToRegistry() const
{
    if (m_bSaveBlocked)
        return false;
    CRegistryAccess registry(HKEY_CURRENT_USER, GetKeyPath());
    if (!registry.OpenKey(1))
        return false;
    for (const auto &pColumn : m_columns)
        if (!registry.SetValueData(pColumn->GetTitle(), pColumn->GetStoredText()))
            return false;
    return true;
}
