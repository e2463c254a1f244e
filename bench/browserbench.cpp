// The recordings browser over a folder of 5000 recordings: how long it
// takes to open with all of them listed, and to list them again after a
// Delete. Prints "name: value" lines.
#include "core/scriptedprompter.h"
#include "ui/recordingsbrowser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace skywell;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    for (int i = 0; i < 5000; ++i) {
        QFile file(folder + QStringLiteral("Show %1 Mon Jan 5 2026.mp3").arg((i * 7919) % 10000));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
    }
    ScriptedPrompter prompter;
    RecordingsBrowserDeps deps{prompter, folder, folder, {}, {}, {}};

    QElapsedTimer timer;
    timer.start();
    RecordingsBrowser browser(deps, QStringLiteral("."));
    browser.show();
    (void)QTest::qWaitForWindowExposed(&browser);
    QApplication::processEvents();
    std::printf("browser_open_5000_files_ms: %lld\n", timer.elapsed());
    std::printf("browser_listed: %lld\n", static_cast<long long>(browser.available().size()));

    timer.restart();
    for (QPushButton *button : browser.findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("View ALL"))
            button->click();
    }
    QApplication::processEvents();
    std::printf("browser_relist_5000_files_ms: %lld\n", timer.elapsed());
    return 0;
}
