#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QLineEdit;

namespace skywell
{
class UrlFinderBrowser;
}

namespace skywell
{

// What the URL Finder calls.
struct UrlFinderDeps {
    // The page it starts on; empty when no web site is configured.
    QString startPage;
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

private:
    void go(const QString &address);
    void addShow(const QString &address);

    UrlFinderDeps m_deps;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_popup = nullptr;
    UrlFinderBrowser *m_browser = nullptr; // none without Qt WebEngine
    std::optional<QString> m_chosen;
};

// Runs the URL Finder; the address to add as a Show, empty when none.
std::optional<QString> runUrlFinder(QWidget *parent, UrlFinderDeps deps);

} // namespace skywell
