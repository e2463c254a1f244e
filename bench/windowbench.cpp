// The main window with a Show list of 500: how long opening, sorting and
// scrolling take. Prints "name: value" lines.
#include "../tests/ui/windowrig.h"

#include "ui/showlistview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>

#include <cstdio>

using namespace skywell;
using namespace skywell::test;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    WindowRig rig;
    const std::int64_t now = rig.clock.now();
    for (int i = 0; i < 500; ++i) {
        const std::uint32_t flags = i % 7 == 0 ? SHOW_UNSCHEDULED | OUT_MP3_FM : OUT_MP3_FM | SHOW_REPEATING | 0x1f;
        rig.shows.push_back(
            rig.makeShow(QStringLiteral("Show %1").arg((i * 7919) % 1000), now + (i * 3571) % 86400, flags));
    }
    rig.scheduler.reschedule(rig.shows);
    rig.store.save(rig.shows);

    QElapsedTimer timer;
    timer.start();
    MainWindow &window = rig.open();
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    QApplication::processEvents();
    std::printf("window_open_500_shows_ms: %lld\n", timer.elapsed());

    timer.restart();
    window.sortByColumn(0);
    QApplication::processEvents();
    std::printf("sort_by_name_500_shows_ms: %lld\n", timer.elapsed());
    timer.restart();
    window.sortByColumn(1);
    QApplication::processEvents();
    std::printf("sort_by_next_recording_500_shows_ms: %lld\n", timer.elapsed());

    timer.restart();
    QScrollBar *bar = window.showList()->verticalScrollBar();
    for (int step = 0; step < 50; ++step) {
        bar->setValue(bar->maximum() * step / 49);
        window.showList()->viewport()->repaint();
    }
    std::printf("scroll_page_500_shows_ms: %.2f\n", double(timer.nsecsElapsed()) / 1e6 / 50);
    return 0;
}
