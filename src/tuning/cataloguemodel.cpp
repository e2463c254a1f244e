#include "tuning/cataloguemodel.h"

#include <algorithm>

namespace skywell
{

CatalogueModel::CatalogueModel(CatalogueMode mode, QString programFolder)
    : m_mode(mode), m_programFolder(std::move(programFolder))
{
}

void CatalogueModel::setDirectoryStations(QList<DirectoryStation> stations)
{
    m_directory = std::move(stations);
}

void CatalogueModel::reload()
{
    m_items.clear();
    m_names.clear();
    m_selection = -1;
    CatalogueReader reader(filePath());
    QByteArray line;
    while (reader.next(&line)) {
        QString name = catalogueEntryName(line);
        if (!name.isEmpty())
            m_items.append({std::move(name), -1});
    }
    if (m_mode == CatalogueMode::Station)
        for (int i = 0; i < m_directory.size(); ++i)
            m_items.append({m_directory[i].name, i});
    std::stable_sort(m_items.begin(), m_items.end(), [](const Item &a, const Item &b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    m_names.reserve(m_items.size());
    for (const Item &item : std::as_const(m_items))
        m_names.append(item.name);
}

CatalogueModel::FindResult CatalogueModel::find(const QString &text)
{
    if (m_names.isEmpty())
        return FindResult::EmptyList;
    const QString wanted = text.left(kSearchTextLength).toLower();
    auto matches = [&](int i) { return m_names[i].toLower().contains(wanted); };
    for (int i = m_selection + 1; i < m_names.size(); ++i) {
        if (matches(i)) {
            m_selection = i;
            return FindResult::Found;
        }
    }
    for (int i = 0; i <= m_selection; ++i) {
        if (matches(i)) {
            m_selection = i;
            return FindResult::Found;
        }
    }
    return FindResult::NotFound;
}

PickResult CatalogueModel::pick(std::int64_t now) const
{
    if (m_selection >= 0 && m_items[m_selection].directoryIndex >= 0) {
        const DirectoryStation &station = m_directory[m_items[m_selection].directoryIndex];
        PickResult result;
        result.name = station.name;
        result.address = station.address;
        result.flags = kPickedStationFlags;
        return result;
    }
    const QString name = m_selection >= 0 ? m_names[m_selection] : QString();
    return pickCatalogueEntry(filePath(), m_mode, name, now);
}

} // namespace skywell
