// skywell-urlfinder: the URL Finder's browser window, started by skywell.
//
//   skywell-urlfinder [ADDRESS]   open ADDRESS, else a page of advice
//
// It reads "load ADDRESS" and "back" lines on its standard input and
// writes "address", "found" and "add" lines on its standard output (see
// ui/urlfinderlink.h). It ends when its window closes or its input does.
#include "ui/urlfinderbrowser.h"
#include "ui/urlfinderlink.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

using namespace skywell;

namespace
{

void send(const char *word, const QString &text)
{
    const QByteArray bytes = urlfinderlink::line(word, text);
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// Reads skywell's lines from standard input as they come.
class InputLines final : public QObject
{
public:
    InputLines(UrlFinderBrowser &browser, QObject *parent)
        : QObject(parent), m_browser(browser), m_notifier(STDIN_FILENO, QSocketNotifier::Read, this)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &InputLines::readSome);
    }

private:
    void readSome()
    {
        char chunk[4096];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            // Skywell closed the finder, or ended.
            m_notifier.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        m_pending.append(chunk, got);
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const urlfinderlink::Line line = urlfinderlink::parse(m_pending.left(end));
            m_pending.remove(0, end + 1);
            if (line.word == urlfinderlink::kLoad && !line.text.trimmed().isEmpty())
                m_browser.load(line.text.trimmed());
            else if (line.word == urlfinderlink::kBack)
                m_browser.back();
        }
    }

    UrlFinderBrowser &m_browser;
    QSocketNotifier m_notifier;
    QByteArray m_pending;
};

} // namespace

int main(int argc, char *argv[])
{
    // Chromium will not start as root without leaving its sandbox off; only
    // this program, never skywell, gets the switch.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Skywell"));
    QCoreApplication::setApplicationName(QStringLiteral("skywell-urlfinder"));

    UrlFinderBrowser browser;
    browser.setWindowTitle(QStringLiteral("Skywell URL Finder - Browser"));
    browser.resize(900, 700);
    QObject::connect(&browser, &UrlFinderBrowser::addressChanged, &browser,
                     [](const QString &address) { send(urlfinderlink::kAddress, address); });
    QObject::connect(&browser, &UrlFinderBrowser::found, &browser,
                     [](const QString &address) { send(urlfinderlink::kFound, address); });
    QObject::connect(&browser, &UrlFinderBrowser::streamChosen, &browser,
                     [](const QString &address) { send(urlfinderlink::kAdd, address); });
    InputLines input(browser, &app);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1 && !arguments[1].isEmpty())
        browser.load(arguments[1]);
    else
        browser.showStartPage();
    browser.show();
    return app.exec();
}
