#pragma once

#include "tuning/catalogueline.h"
#include "tuning/stationdirectoryjson.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace skywell
{

// What the pick dialog shows and does, without the dialog: the sorted
// names of the mode's catalogue (and, in station mode, the stations found
// in the directory), the selection, Find, and the pick result.
class CatalogueModel final
{
public:
    CatalogueModel(CatalogueMode mode, QString programFolder);

    CatalogueMode mode() const { return m_mode; }
    QString title() const { return catalogueTitle(m_mode); }
    QString filePath() const { return m_programFolder + catalogueFileName(m_mode); }

    // Fills the list from the catalogue file (empty when it is missing)
    // and the directory stations, sorted without regard to letter case.
    // Clears the selection.
    void reload();

    // Stations from the directory, offered in station mode beside the
    // catalogue's after the next reload().
    void setDirectoryStations(QList<DirectoryStation> stations);

    const QStringList &names() const { return m_names; }
    int selection() const { return m_selection; }
    void select(int index) { m_selection = index >= 0 && index < m_names.size() ? index : -1; }

    enum class FindResult { Found, NotFound, EmptyList };
    // Selects the next name after the selection that contains text in any
    // letter case, wrapping to the top and reaching the selected name
    // last. NotFound: the dialog says kSearchNotFoundText.
    FindResult find(const QString &text);

    // The result of OK for the selected name (the initial result when
    // nothing is selected).
    PickResult pick(std::int64_t now) const;

private:
    struct Item {
        QString name;
        int directoryIndex; // -1: from the catalogue file
    };

    CatalogueMode m_mode;
    QString m_programFolder;
    QList<DirectoryStation> m_directory;
    QList<Item> m_items;
    QStringList m_names;
    int m_selection = -1;
};

inline const QString kSearchNotFoundText = QStringLiteral("Search string not found.");
inline constexpr int kSearchTextLength = 127;

} // namespace skywell
