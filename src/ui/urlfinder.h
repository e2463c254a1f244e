#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QLineEdit;

namespace skywell
{
class Prompter;
class UrlFinderBrowser;
} // namespace skywell

namespace skywell
{

// What the URL Finder calls.
struct UrlFinderDeps {
    // The page it starts on; empty: a page of its own that tells how to
    // find a stream's address.
    QString startPage;
    // Says what is missing when Add Show has no address.
    Prompter *prompter = nullptr;
    // Opens an address in the desktop's web browser (no embedded browser
    // in this build).
    std::function<void(const QString &address)> openInBrowser;
    // The address of the desktop browser's active window; empty when no
    // browser answers, which is always so on Linux.
    std::function<QString()> queryBrowserWindow;
    std::function<void()> help;
};

// "Skywell URL Finder": an address to browse to and to hand to Add Show,
// and the address of the desktop browser's window. Pages open in the
// desktop's browser; the address fields work as ever.
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

private:
    void go(const QString &address);
    void addShow(const QString &address);
    void getPopupAddress();

    UrlFinderDeps m_deps;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_popup = nullptr;
    UrlFinderBrowser *m_browser = nullptr; // none without Qt WebEngine
    std::optional<QString> m_chosen;
};

// Runs the URL Finder; the address to add as a Show, empty when none.
std::optional<QString> runUrlFinder(QWidget *parent, UrlFinderDeps deps);

} // namespace skywell
