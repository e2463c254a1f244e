#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;

namespace skywell
{
class Prompter;
class UrlFinderBrowserProcess;
} // namespace skywell

namespace skywell
{

// The URL Finder's browser program, beside skywell.
inline const QString kUrlFinderProgramName = QStringLiteral("skywell-urlfinder");

// What the URL Finder calls.
struct UrlFinderDeps {
    // The page it starts on; empty: a page of its own that tells how to
    // find a stream's address.
    QString startPage;
    // Says what is missing when Add Show has no address.
    Prompter *prompter = nullptr;
    // The URL Finder's browser program (skywell-urlfinder); empty or
    // missing: pages open in the desktop's web browser instead.
    QString browserProgram;
    // Opens an address in the desktop's web browser.
    std::function<void(const QString &address)> openInBrowser;
    // The address of the desktop browser's active window; empty when no
    // browser answers, which is always so on Linux.
    std::function<QString()> queryBrowserWindow;
    std::function<void()> help;
};

// "Skywell URL Finder": an address to browse to and to hand to Add Show,
// and the address of the desktop browser's window. Pages open in the URL
// Finder's browser, a window of its own process; without it in the
// desktop's browser. The address fields work either way.
class UrlFinder final : public QDialog
{
    Q_OBJECT
public:
    explicit UrlFinder(UrlFinderDeps deps, QWidget *parent = nullptr);

    // The address chosen with one of the "Add Show" buttons; empty after
    // "Close".
    std::optional<QString> chosen() const { return m_chosen; }

    inline static const QString kNoAddressText =
        QStringLiteral("There is no address to add as a Show. Type the station's stream or web page address "
                       "into \"URL:\", or fill it with \"Get Popup URL:\", then choose \"Add Show\" again.");
    inline static const QString kBrowserOpenText =
        QStringLiteral("Pages open in the URL Finder's browser window. The streams a page asks for are listed "
                       "below its page: double-click one to add it as a Show.");
    inline static const QString kBrowserMissingText =
        QStringLiteral("The URL Finder's browser (skywell-urlfinder) is not installed, so pages open in your web "
                       "browser. Copy the address of the station's stream or player into URL: above and choose "
                       "Add Show.");
    inline static const QString kBrowserEndedText =
        QStringLiteral("The URL Finder's browser ended unexpectedly. Recordings go on as before. Choose Go to "
                       "open it again.");
    inline static const QString kBrowserClosedText =
        QStringLiteral("The URL Finder's browser window was closed. Choose Go to open it again.");

private:
    void go(const QString &address);
    void addShow(const QString &address);
    void getPopupAddress();
    void showBrowserState();

    UrlFinderDeps m_deps;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_popup = nullptr;
    QLabel *m_note = nullptr;
    UrlFinderBrowserProcess *m_browser = nullptr; // none without a browser program
    std::optional<QString> m_chosen;
};

// Runs the URL Finder; the address to add as a Show, empty when none.
std::optional<QString> runUrlFinder(QWidget *parent, UrlFinderDeps deps);

} // namespace skywell
