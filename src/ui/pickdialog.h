#pragma once

#include "tuning/catalogueline.h"
#include "tuning/stationdirectory.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QPushButton;
class QThread;
class QTreeWidget;

namespace skywell
{

class CatalogueModel;
class CatalogueUpdate;
class Prompter;

// What the pick dialog calls beyond the catalogue; each may be left empty.
struct PickDialogDeps {
    Prompter *prompter = nullptr;
    // The weekly offer to update the catalogues, made on opening.
    std::function<void()> offerUpdate;
    // "Get Updated List from the Web".
    std::function<void()> updateCatalogue;
    // The update from the catalogue server, run beside the dialog: offered
    // on opening when a server is set, asked for by the button (which asks
    // for the server's address when none is set); the list is refilled
    // when it ends. Takes the place of offerUpdate and updateCatalogue.
    CatalogueUpdate *catalogue = nullptr;
    // Searches the station directory; runs on a worker thread, so it must
    // not touch the dialog. Station mode offers the search only when set.
    std::function<DirectoryAnswer(const StationQuery &)> searchStations;
};

// "Pick a Show" / "Pick a Station": the catalogue's names with Find, the
// update from the web and, for stations, a search of the station
// directory. What it lists and what a pick yields is the catalogue
// model's and the station rules'.
class PickDialog final : public QDialog
{
    Q_OBJECT
public:
    PickDialog(CatalogueModel &model, PickDialogDeps deps, std::int64_t now, QWidget *parent = nullptr);
    PickDialog(CatalogueModel &model, QWidget *parent = nullptr);
    ~PickDialog() override;

    // The pick after OK.
    PickResult result() const { return m_result; }
    void accept() override;

    // Runs the plain dialog on the catalogue of programFolder; empty on
    // Cancel.
    static std::optional<PickResult> pick(CatalogueMode mode, const QString &programFolder, std::int64_t now,
                                          QWidget *parent);
    // Runs the full dialog; empty on Cancel.
    static std::optional<PickResult> pick(CatalogueMode mode, const QString &programFolder, std::int64_t now,
                                          PickDialogDeps deps, QWidget *parent);

private:
    void fillList();
    void find();
    void addCatalogueUpdate(QLayout *layout);
    void addStationSearch(QLayout *layout);
    void startSearch();
    void showStations(const DirectoryAnswer &answer);

    CatalogueModel &m_model;
    PickDialogDeps m_deps;
    std::int64_t m_now = 0;
    PickResult m_result;
    QListWidget *m_list = nullptr;
    QLineEdit *m_findText = nullptr;
    QLineEdit *m_stationName = nullptr;
    QLineEdit *m_stationTag = nullptr;
    QLineEdit *m_stationCountry = nullptr;
    QPushButton *m_search = nullptr;
    QTreeWidget *m_stations = nullptr;
    QList<DirectoryStation> m_found;
    QThread *m_searchThread = nullptr;
    // True when the last choice was in the directory's results.
    bool m_directoryChosen = false;
};

} // namespace skywell
