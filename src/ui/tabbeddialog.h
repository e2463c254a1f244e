#pragma once

#include <QDialog>
#include <QList>

#include <functional>

class QTabWidget;

namespace skywell
{

// A dialog of pages as tabs, with OK, Cancel and, when openHelp is given,
// Help. A page that has been shown is checked when the user leaves it: a
// page with a wrong box keeps the user on it. Each page's first showing is
// reported once, so a page fills what is slow to find only when wanted.
class TabbedDialog : public QDialog
{
    Q_OBJECT
public:
    QTabWidget *tabs() const { return m_tabs; }

protected:
    TabbedDialog(const std::function<void()> &openHelp, QWidget *parent);

    void addPage(QWidget *page, const QString &title);
    // Shows the first page and from then on follows the user's choice of tab.
    void startOnFirstPage();

    bool shown(int index) const { return m_shown.value(index); }
    int currentPage() const { return m_current; }
    // Whether a page is right: one never shown is.
    bool pageIsRight(int index);
    // Goes to a page without checking the one left (a wrong page found on OK).
    void returnTo(int index);

    // Whether a shown page is right; if not, tells the user why.
    virtual bool checkShownPage(int index) = 0;
    // The page's first showing.
    virtual void firstShown(int index) = 0;
    // Each time the user comes to the page.
    virtual void entered(int) {}
    // Back on a wrong page: its wrong box may take the focus again.
    virtual void returnedTo(int) {}

private:
    void pageChanged(int index);

    QTabWidget *m_tabs;
    QList<bool> m_shown;
    int m_current = 0;
    bool m_returning = false;
};

} // namespace skywell
