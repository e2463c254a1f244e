// Checks of the main window on a real X display (Xvfb), run by the
// desktop end-to-end tests:
//   windowcheck screenshot FILE   three Shows, one recording, saved as FILE
//   windowcheck tray              minimise to the notification icon, restore
//                                 by a click on it, the recording icon, the
//                                 icon's tip and menu, the notification at
//                                 the end of a recording
//   windowcheck notray            minimise and restore without a tray; the
//                                 notification left to the log
//   windowcheck tuner             the "Skywell Tuner" window follows
#include "core/settingsstore.h"
#include "windowrig.h"

#include "platform/x11windowfollow.h"
#include "tuning/playerwindows.h"
#include "ui/desktoptray.h"
#include "ui/showlistview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <cstdio>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace skywell;
using namespace skywell::test;

namespace
{

int failed(const char *what)
{
    std::fprintf(stderr, "FAIL: %s\n", what);
    return 1;
}

bool waitFor(const std::function<bool()> &condition, int ms = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QTest::qWait(50);
    }
    return true;
}

void addShows(WindowRig &rig)
{
    const std::int64_t now = rig.clock.now();
    rig.shows.push_back(
        rig.makeShow(QStringLiteral("Morning Jazz Hour"), now + 3600 * 20, OUT_MP3_FM | 0x1f | SHOW_REPEATING));
    rig.shows.push_back(rig.makeShow(QStringLiteral("World News Tonight"), now + 7200, OUT_MP3_FM));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Classical Evening"), now + 600, OUT_MP3_FM));
    rig.scheduler.reschedule(rig.shows);
}

void startRecording(WindowRig &rig)
{
    rig.window->showList()->selectRow(2);
    rig.settingsStore.writeInt(QStringLiteral("NotPreferredHint"), 1, SettingsGroup::Program);
    rig.window->recordNow();
    rig.captureStarts();
    for (int i = 0; i < 5; ++i)
        rig.feedTone(0.8);
    rig.clock.advance(754);
    rig.roster.supervisionTick();
}

// 32 characters: Latin, emoji and right-to-left text.
const QString kAwkwardName = QStringLiteral(u"Evening \U0001F4FB News \u0623\u062E\u0628\u0627\u0631 "
                                            u"\u0627\u0644\u0645\u0633\u0627\u0621 \U0001F399 Hi");

// Records the selected Show for eleven seconds of tone and ends it as Stop
// Recording with Yes does: one track is saved.
void recordOneTrack(WindowRig &rig, int row)
{
    rig.window->showList()->selectRow(row);
    rig.settingsStore.writeInt(QStringLiteral("NotPreferredHint"), 1, SettingsGroup::Program);
    rig.window->recordNow();
    rig.captureStarts();
    for (int i = 0; i < 110; ++i)
        rig.feedTone(0.8);
    rig.roster.endRecording(rig.recording().id, false, true);
}

QString logText(const WindowRig &rig)
{
    QFile file(rig.programFolder() + QStringLiteral("log.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text of the balloon the tray shows, when one is up.
QString shownBalloonText()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || QLatin1String(widget->metaObject()->className()) != QLatin1String("QBalloonTip"))
            continue;
        QString text;
        for (const QLabel *label : widget->findChildren<QLabel *>())
            text += label->text() + QLatin1Char('\n');
        return text;
    }
    return QString();
}

QImage grabScreenRect(const QRect &rect)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height()).toImage();
}

int screenshot(const QString &file)
{
    WindowRig rig;
    addShows(rig);
    MainWindow &window = rig.open();
    window.move(20, 20);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return failed("window not exposed");
    startRecording(rig);
    if (!rig.roster.recording())
        return failed("not recording");
    QTest::qWait(300);
    const QImage shot = grabScreenRect(window.frameGeometry());
    if (shot.isNull() || !shot.save(file))
        return failed("screenshot not saved");
    return 0;
}

int tray()
{
    WindowRig rig;
    addShows(rig);
    rig.shows.push_back(rig.makeShow(kAwkwardName, rig.clock.now() + 300, OUT_MP3_FM));
    rig.scheduler.reschedule(rig.shows);
    MainWindow &window = rig.open();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return failed("window not exposed");
    if (!window.tray()->available())
        return failed("no notification area although trayer runs");
    if (!waitFor([&] { return !window.tray()->geometry().isEmpty(); }))
        return failed("the icon never docked");
    const QRect icon = window.tray()->geometry();
    QTest::qWait(300);
    const QImage idle = grabScreenRect(icon);

    window.minimize();
    if (!waitFor([&] { return !window.isVisible(); }))
        return failed("minimising did not hide the window");
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(icon.center().x()),
                       QString::number(icon.center().y()), QStringLiteral("click"), QStringLiteral("1")});
    if (!waitFor([&] { return window.isVisible() && !window.isMinimized(); }))
        return failed("a click on the icon did not restore the window");

    startRecording(rig);
    if (!window.tray()->recording())
        return failed("the recording icon was not set");
    QImage recording;
    if (!waitFor([&] {
            recording = grabScreenRect(icon);
            return recording != idle;
        }))
        return failed("the icon looks the same while recording");

    // The tip names what records and what is next, the name whole.
    const QString tip = window.tray()->toolTip();
    if (!tip.contains(QStringLiteral("Recording: ") + QChar(0x2068) + QStringLiteral("Classical Evening")) ||
        !tip.contains(QStringLiteral("Next: ") + QChar(0x2068) + kAwkwardName + QChar(0x2069)))
        return failed(qPrintable(QStringLiteral("the tip does not say what records and what is next: ") + tip));
    rig.roster.endRecording(rig.recording().id, false, true);

    // The menu of the icon, opened by a right click on it.
    rig.window->showList()->selectRow(3);
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(icon.center().x()),
                       QString::number(icon.center().y()), QStringLiteral("click"), QStringLiteral("3")});
    QMenu *menu = window.tray()->menu();
    if (!waitFor([&] { return menu->isVisible(); }))
        return failed("a right click on the icon did not open its menu");
    QStringList entries;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            entries << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (off)"));
    }
    const QStringList expected{QStringLiteral("Show Skywell"), QStringLiteral("Record Now: ") + kAwkwardName,
                               QStringLiteral("Stop Recording (off)"), QStringLiteral("Quick Record"),
                               QStringLiteral("Exit")};
    if (entries != expected)
        return failed(qPrintable(QStringLiteral("the menu holds ") + entries.join(QStringLiteral(" | "))));
    menu->hide();

    // The end of a recording is told by a notification naming the Show.
    recordOneTrack(rig, 3);
    QString balloon;
    if (!waitFor([&] {
            balloon = shownBalloonText();
            return !balloon.isEmpty();
        }))
        return failed("no notification when the recording ended");
    if (!balloon.contains(QStringLiteral("Saved 1 track of ") + QChar(0x2068) + kAwkwardName + QChar(0x2069)))
        return failed(qPrintable(QStringLiteral("the notification says: ") + balloon));
    if (!window.elapsedArea()->text().trimmed().isEmpty())
        return failed("the elapsed time stayed after the recording ended");
    std::printf("tray icon %dx%d at %d,%d\n", icon.width(), icon.height(), icon.x(), icon.y());
    return 0;
}

int noTray()
{
    WindowRig rig;
    MainWindow &window = rig.open();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return failed("window not exposed");
    if (window.tray()->available())
        return failed("a notification area where none runs");
    window.minimize();
    QTest::qWait(300);
    if (!window.isMinimized() || !window.isVisible())
        return failed("without a tray the window must stay an ordinary minimised window");
    window.restore();
    if (!waitFor([&] { return window.isVisible() && !window.isMinimized(); }))
        return failed("the minimised window was not restored");
    // No notification area: the end of a recording is told in the log.
    rig.shows.push_back(rig.makeShow(kAwkwardName, rig.clock.now() + 300, OUT_MP3_FM));
    window.refreshShowList();
    recordOneTrack(rig, 0);
    if (!logText(rig).contains(QStringLiteral("No desktop notification (the desktop has no notification area): Saved "
                                              "1 track of ")))
        return failed("without a tray the end of a recording left no word in the log");
    return 0;
}

bool viewable(Display *display, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// With no window manager, the test plays its part: it watches for the
// request to minimise the tuner and unmaps it, as a window manager would.
int tunerFollows()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return failed("no X display");
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    const Atom changeState = XInternAtom(display, "WM_CHANGE_STATE", False);

    QWidget tuner;
    // The tuner names the station's title after its own.
    tuner.setWindowTitle(QStringLiteral("Skywell Tuner - Morning Jazz"));
    tuner.resize(200, 80);
    tuner.show();
    if (!QTest::qWaitForWindowExposed(&tuner))
        return failed("tuner not exposed");
    const auto tunerId = static_cast<Window>(tuner.winId());

    WindowRig rig;
    // The tuner windows of this process follow the main window.
    struct FollowingTuner final : TunerControl {
        X11WindowFollow follow{
            [](const DesktopWindow &window) { return isTunerWindow(window, {QCoreApplication::applicationPid()}); }};
        void tune(const Show &) override {}
        void closeWindows() override {}
        void followMainWindow(bool shown) override { shown ? follow.show() : follow.minimize(); }
    } following;
    WindowContext context{rig.prompter, rig.settingsStore, rig.commands, rig.programFolder()};
    context.tuner = &following;
    MainWindow window(context);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return failed("window not exposed");
    XSync(display, False);
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
    }

    window.minimize();
    bool asked = false;
    waitFor([&] {
        XSync(display, False);
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.message_type == changeState &&
                event.xclient.window == tunerId && event.xclient.data.l[0] == IconicState)
                asked = true;
        }
        return asked;
    });
    if (!asked)
        return failed("the tuner was not asked to minimise with the main window");
    XUnmapWindow(display, tunerId);
    XSync(display, False);
    if (!waitFor([&] { return !viewable(display, tunerId); }))
        return failed("the tuner could not be minimised");

    window.restore();
    if (!waitFor([&] { return viewable(display, tunerId); }))
        return failed("the tuner did not come back with the main window");
    XCloseDisplay(display);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QStringLiteral("screenshot"))
        return screenshot(args[2]);
    if (args.size() >= 2 && args[1] == QStringLiteral("tray"))
        return tray();
    if (args.size() >= 2 && args[1] == QStringLiteral("notray"))
        return noTray();
    if (args.size() >= 2 && args[1] == QStringLiteral("tuner"))
        return tunerFollows();
    std::fprintf(stderr, "usage: windowcheck screenshot FILE | tray | notray\n");
    return 2;
}
