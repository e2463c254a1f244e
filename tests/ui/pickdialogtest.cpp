// The pick dialog on a real catalogue file: Find, OK and double click,
// the update offer, and a station directory search against a directory
// server on 127.0.0.1 that fills a new Show.
#include "core/settingsstore.h"
#include "windowrig.h"

#include "ui/imagebutton.h"

#include "core/settings.h"
#include "platform/curltransfer.h"
#include "tuning/cataloguemodel.h"
#include "tuning/downloadtestserver.h"
#include "ui/pickdialog.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace skywell;
using namespace skywell::test;

namespace
{

const std::int64_t kNow = 1'800'000'000;

void writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QPushButton *button(QWidget &dialog, const QString &text)
{
    for (QPushButton *found : dialog.findChildren<QPushButton *>()) {
        if (found->text().remove(QLatin1Char('&')) == text)
            return found;
    }
    return nullptr;
}

void saveScreenshot(QWidget &widget, const QString &name)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots");
    QDir().mkpath(folder);
    QVERIFY(widget.grab().save(folder + QLatin1Char('/') + name));
}

} // namespace

class PickDialogTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findSelectsAndOkPicks();
    void updatesReloadTheList();
    void stationSearchFillsANewShow();
};

void PickDialogTest::findSelectsAndOkPicks()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    writeFile(folder + QStringLiteral("shows.txt"), "Zeta Jazz|http://zeta.example/|0900|1000|MTWTF--|N|W\n"
                                                    "Morning Jazz|http://morning.example/|0600|0800|-------|N|R\n"
                                                    "Talk Hour|http://talk.example/|1200|1300|------S|Y|U\n");
    ScriptedPrompter prompter;
    PickDialogDeps deps;
    deps.prompter = &prompter;
    CatalogueModel model(CatalogueMode::Show, folder);
    model.reload();
    PickDialog dialog(model, deps, kNow);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Pick a Show"));
    auto *list = dialog.findChild<QListWidget *>();
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Morning Jazz"));

    // Find goes on after the selection and wraps around.
    dialog.findChild<QLineEdit *>(QStringLiteral("findText"))->setText(QStringLiteral("JAZZ"));
    button(dialog, QStringLiteral("Find"))->click();
    QCOMPARE(list->currentRow(), 0);
    button(dialog, QStringLiteral("Find"))->click();
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Zeta Jazz"));
    button(dialog, QStringLiteral("Find"))->click();
    QCOMPARE(list->currentRow(), 0);
    dialog.findChild<QLineEdit *>(QStringLiteral("findText"))->setText(QStringLiteral("news"));
    button(dialog, QStringLiteral("Find"))->click();
    QCOMPARE(prompter.prompts().size(), 1);
    QCOMPARE(prompter.prompts().first().text, QStringLiteral("Search string not found."));
    QCOMPARE(list->currentRow(), 0);
    saveScreenshot(dialog, QStringLiteral("pickdialog.png"));
    // Enter in the box searches; the dialog stays open.
    auto *findText = dialog.findChild<QLineEdit *>(QStringLiteral("findText"));
    findText->setText(QStringLiteral("talk"));
    QTest::keyClick(findText, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Talk Hour"));
    list->setCurrentRow(0);

    button(dialog, QStringLiteral("OK"))->click();
    QCOMPARE(dialog.result().name, QStringLiteral("Morning Jazz"));
    QCOMPARE(dialog.result().address, QStringLiteral("http://morning.example/"));
    QCOMPARE(dialog.result().playerLetter, 'R');

    // A double click is OK on that name.
    PickDialog again(model, deps, kNow);
    again.show();
    auto *againList = again.findChild<QListWidget *>();
    const QRect talk =
        againList->visualItemRect(againList->findItems(QStringLiteral("Talk Hour"), Qt::MatchExactly)[0]);
    QTest::mouseClick(againList->viewport(), Qt::LeftButton, {}, talk.center());
    QTest::mouseDClick(againList->viewport(), Qt::LeftButton, {}, talk.center());
    QCOMPARE(again.QDialog::result(), int(QDialog::Accepted));
    QCOMPARE(again.result().name, QStringLiteral("Talk Hour"));
    QVERIFY(again.result().flags & OPT_DIRECT_DOWNLOAD);
}

void PickDialogTest::updatesReloadTheList()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    writeFile(folder + QStringLiteral("stations.txt"), "Old FM|http://old.example/\n");
    int offers = 0;
    PickDialogDeps deps;
    deps.offerUpdate = [&] {
        ++offers;
        writeFile(folder + QStringLiteral("stations.txt"), "New FM|http://new.example/\n");
    };
    deps.updateCatalogue = [&] {
        writeFile(folder + QStringLiteral("stations.txt"), "Newer FM|http://newer.example/\nOld FM|http://o/\n");
    };
    CatalogueModel model(CatalogueMode::Station, folder);
    model.reload();
    PickDialog dialog(model, deps, kNow);
    QCOMPARE(offers, 1);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Pick a Station"));
    auto *list = dialog.findChild<QListWidget *>();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("New FM"));
    button(dialog, QStringLiteral("Get Updated List from the Web"))->click();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Newer FM"));
}

void PickDialogTest::stationSearchFillsANewShow()
{
    DownloadTestServer server;
    server.serve("/json/stations/search",
                 readFile(QStringLiteral(SKYWELL_TUNING_TEST_DATA "radiobrowser-search-jazz.json")), 200,
                 "application/json");
    WindowRig rig;
    rig.settingsStore.writeString(kStationDirectoryAddressSetting, server.url(QStringLiteral("/")),
                                  SettingsGroup::Options);
    DownloadSetup setup;
    setup.transfers = makeCurlTransfer;
    StationDirectory directory(setup, rig.settingsStore, rig.programFolder(), rig.dir.path());
    rig.dialogs.chooseHowToAddShow = [] { return std::optional<int>(2); };
    rig.dialogs.pickCatalogueEntry = [&](CatalogueMode mode) {
        PickDialogDeps deps;
        deps.prompter = &rig.prompter;
        deps.searchStations = [&directory](const StationQuery &query) { return directory.search(query); };
        return PickDialog::pick(mode, rig.programFolder(), kNow, deps, nullptr);
    };
    MainWindow &window = rig.open();
    bool checked = false;
    QTimer::singleShot(100, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        // Enter in a search box searches and keeps the dialog open.
        auto *tag = dialog->findChild<QLineEdit *>(QStringLiteral("stationTag"));
        tag->setText(QStringLiteral("jazz"));
        QTest::keyClick(tag, Qt::Key_Return);
        auto *stations = dialog->findChild<QTreeWidget *>(QStringLiteral("stations"));
        QTRY_COMPARE(stations->topLevelItemCount(), 4);
        QVERIFY(dialog->isVisible());
        QVERIFY(server.requests().first().target.contains("tag=jazz"));
        QTreeWidgetItem *moscow = stations->topLevelItem(1);
        QCOMPARE(moscow->text(0), QStringLiteral("Джаз FM Москва"));
        QCOMPARE(moscow->text(1), QStringLiteral("MP3"));
        QCOMPARE(moscow->text(2), QStringLiteral("128 kbit/s"));
        saveScreenshot(*dialog, QStringLiteral("stationsearch.png"));
        const QRect rect = stations->visualItemRect(moscow);
        QTest::mouseClick(stations->viewport(), Qt::LeftButton, {}, rect.center());
        checked = true;
        button(*dialog, QStringLiteral("OK"))->click();
    });
    QTest::mouseClick(window.button(MainWindow::AddShow), Qt::LeftButton);
    QVERIFY(checked);
    QCOMPARE(rig.namesOnDisk(), QStringList{QStringLiteral("Джаз FM Москва")});
    const Show &show = rig.shows.front();
    QCOMPARE(fieldText(show.url), QStringLiteral("http://nashe1.hostingradio.ru/jazz-128.mp3"));
    QCOMPARE(show.flags, kPickedStationFlags);
    QVERIFY(show.addressOrigin != kAddressTyped);
}

QTEST_MAIN(PickDialogTest)
#include "pickdialogtest.moc"
