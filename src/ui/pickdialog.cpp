#include "ui/pickdialog.h"

#include "core/prompter.h"
#include "tuning/cataloguemodel.h"
#include "tuning/catalogueupdate.h"
#include "tuning/stationsearchrules.h"
#include "ui/searchfield.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace skywell
{

PickDialog::PickDialog(CatalogueModel &model, QWidget *parent) : PickDialog(model, PickDialogDeps{}, 0, parent)
{
}

PickDialog::PickDialog(CatalogueModel &model, PickDialogDeps deps, std::int64_t now, QWidget *parent)
    : QDialog(parent), m_model(model), m_deps(std::move(deps)), m_now(now)
{
    if (m_deps.catalogue) {
        m_deps.catalogue->offerIfDue(now);
    } else if (m_deps.offerUpdate) {
        m_deps.offerUpdate();
        m_model.reload();
    }
    setWindowTitle(model.title());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Select a show from the list below, or choose \"Find\" to perform a search.")));
    m_findText = new SearchField(this);
    m_findText->setObjectName(QStringLiteral("findText"));
    m_findText->setMaxLength(kSearchTextLength);
    auto *findButton = new QPushButton(QStringLiteral("Find"), this);
    auto *findRow = new QHBoxLayout;
    findRow->addWidget(m_findText);
    findRow->addWidget(findButton);
    layout->addLayout(findRow);
    m_list = new QListWidget(this);
    m_list->setUniformItemSizes(true);
    layout->addWidget(m_list);
    if (m_deps.catalogue) {
        addCatalogueUpdate(layout);
    } else if (m_deps.updateCatalogue) {
        auto *update = new QPushButton(QStringLiteral("Get Updated List from the Web"), this);
        layout->addWidget(update);
        connect(update, &QPushButton::clicked, this, [this] {
            m_deps.updateCatalogue();
            m_model.reload();
            fillList();
        });
    }
    if (m_model.mode() == CatalogueMode::Station && m_deps.searchStations)
        addStationSearch(layout);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    resize(480, m_stations ? 640 : 420);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_model.select(row); });
    connect(m_list, &QListWidget::itemClicked, this, [this] { m_directoryChosen = false; });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        m_directoryChosen = false;
        accept();
    });
    connect(findButton, &QPushButton::clicked, this, &PickDialog::find);
    connect(m_findText, &QLineEdit::returnPressed, this, &PickDialog::find);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fillList();
}

PickDialog::~PickDialog()
{
    // A search still under way finishes before the dialog it reports to goes.
    if (m_searchThread)
        m_searchThread->wait();
}

void PickDialog::addCatalogueUpdate(QLayout *layout)
{
    CatalogueUpdate *catalogue = m_deps.catalogue;
    auto *update = new QPushButton(QStringLiteral("Get Updated List from the Web"), this);
    layout->addWidget(update);
    // The lists download beside the dialog; the program goes on meanwhile.
    connect(catalogue, &CatalogueUpdate::finished, this, [this, update] {
        update->setEnabled(true);
        m_model.reload();
        fillList();
    });
    connect(update, &QPushButton::clicked, this, [this, catalogue, update] {
        if (!catalogue->hasAddress()) {
            bool ok = false;
            const QString address =
                QInputDialog::getText(this, kCaption, QStringLiteral("Address of the catalogue server:"),
                                      QLineEdit::Normal, QStringLiteral("https://"), &ok)
                    .trimmed();
            if (!ok || address.isEmpty() || address == QStringLiteral("https://"))
                return;
            catalogue->setAddress(address);
        }
        if (catalogue->start(m_now))
            update->setEnabled(false);
    });
    if (catalogue->isRunning())
        update->setEnabled(false);
}

void PickDialog::fillList()
{
    m_list->clear();
    m_list->addItems(m_model.names());
}

void PickDialog::find()
{
    const CatalogueModel::FindResult found = m_model.find(m_findText->text());
    if (found == CatalogueModel::FindResult::NotFound) {
        if (m_deps.prompter)
            m_deps.prompter->information(kSearchNotFoundText);
        else
            QMessageBox::information(this, kCaption, kSearchNotFoundText);
    }
    m_list->setCurrentRow(m_model.selection());
    m_directoryChosen = false;
}

void PickDialog::addStationSearch(QLayout *layout)
{
    auto *group = new QGroupBox(QStringLiteral("Search the station directory"), this);
    auto *groupLayout = new QVBoxLayout(group);
    auto *row = new QHBoxLayout;
    const auto edit = [group, row](const QString &label, const QString &name) {
        row->addWidget(new QLabel(label, group));
        auto *field = new SearchField(group);
        field->setObjectName(name);
        row->addWidget(field);
        return field;
    };
    m_stationName = edit(QStringLiteral("Name:"), QStringLiteral("stationName"));
    m_stationTag = edit(QStringLiteral("Tag:"), QStringLiteral("stationTag"));
    m_stationCountry = edit(QStringLiteral("Country:"), QStringLiteral("stationCountry"));
    m_search = new QPushButton(QStringLiteral("Search"), group);
    row->addWidget(m_search);
    groupLayout->addLayout(row);
    m_stations = new QTreeWidget(group);
    m_stations->setObjectName(QStringLiteral("stations"));
    m_stations->setRootIsDecorated(false);
    m_stations->setUniformRowHeights(true);
    m_stations->setHeaderLabels({QStringLiteral("Station"), QStringLiteral("Codec"), QStringLiteral("Bit rate")});
    m_stations->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_stations->header()->setStretchLastSection(false);
    groupLayout->addWidget(m_stations);
    layout->addWidget(group);

    connect(m_search, &QPushButton::clicked, this, &PickDialog::startSearch);
    for (QLineEdit *field : {m_stationName, m_stationTag, m_stationCountry})
        connect(field, &QLineEdit::returnPressed, this, &PickDialog::startSearch);
    connect(m_stations, &QTreeWidget::itemClicked, this, [this] { m_directoryChosen = true; });
    connect(m_stations, &QTreeWidget::itemDoubleClicked, this, [this] {
        m_directoryChosen = true;
        accept();
    });
}

void PickDialog::startSearch()
{
    if (m_searchThread)
        return;
    StationQuery query;
    query.name = m_stationName->text().trimmed();
    query.tag = m_stationTag->text().trimmed();
    query.country = m_stationCountry->text().trimmed();
    m_search->setEnabled(false);
    m_search->setText(QStringLiteral("Searching..."));
    // The directory is asked on a thread of its own so the dialog stays
    // responsive; the answer comes back to this thread when it is done.
    auto answer = std::make_shared<DirectoryAnswer>();
    m_searchThread = QThread::create([search = m_deps.searchStations, query, answer] { *answer = search(query); });
    connect(m_searchThread, &QThread::finished, this, [this, answer] {
        m_searchThread->deleteLater();
        m_searchThread = nullptr;
        m_search->setEnabled(true);
        m_search->setText(QStringLiteral("Search"));
        showStations(*answer);
    });
    m_searchThread->start();
}

void PickDialog::showStations(const DirectoryAnswer &answer)
{
    m_stations->clear();
    m_found = answer.stations;
    if (!answer.ok) {
        if (m_deps.prompter)
            m_deps.prompter->information(answer.error);
        return;
    }
    for (const DirectoryStation &station : std::as_const(m_found))
        new QTreeWidgetItem(m_stations, {station.name, station.codec, stationBitrateText(station)});
}

void PickDialog::accept()
{
    const int row = m_stations ? m_stations->indexOfTopLevelItem(m_stations->currentItem()) : -1;
    if (m_directoryChosen && row >= 0 && row < m_found.size())
        m_result = pickFromDirectory(m_found[row]);
    else
        m_result = m_model.pick(m_now);
    QDialog::accept();
}

std::optional<PickResult> PickDialog::pick(CatalogueMode mode, const QString &programFolder, std::int64_t now,
                                           QWidget *parent)
{
    return pick(mode, programFolder, now, PickDialogDeps{}, parent);
}

std::optional<PickResult> PickDialog::pick(CatalogueMode mode, const QString &programFolder, std::int64_t now,
                                           PickDialogDeps deps, QWidget *parent)
{
    CatalogueModel model(mode, programFolder);
    model.reload();
    PickDialog dialog(model, std::move(deps), now, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.result();
}

} // namespace skywell
