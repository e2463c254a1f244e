#include "ui/urlfinder.h"

#include "core/prompter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#ifdef SKYWELL_WITH_WEBENGINE
#include "ui/urlfinderbrowser.h"
#endif

namespace skywell
{

UrlFinder::UrlFinder(UrlFinderDeps deps, QWidget *parent) : QDialog(parent), m_deps(std::move(deps))
{
    setWindowTitle(QStringLiteral("Skywell URL Finder"));
    auto *layout = new QGridLayout(this);
    auto *back = new QPushButton(QStringLiteral("Back"), this);
    m_address = new QLineEdit(m_deps.startPage, this);
    m_address->setObjectName(QStringLiteral("address"));
    auto *goTop = new QPushButton(QStringLiteral("Go"), this);
    goTop->setObjectName(QStringLiteral("goTop"));
    auto *addTop = new QPushButton(QStringLiteral("Add Show"), this);
    addTop->setObjectName(QStringLiteral("addTop"));
    layout->addWidget(back, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("URL:"), this), 0, 1);
    layout->addWidget(m_address, 0, 2);
    layout->addWidget(goTop, 0, 3);
    layout->addWidget(addTop, 0, 4);

#ifdef SKYWELL_WITH_WEBENGINE
    m_browser = new UrlFinderBrowser(this);
    layout->addWidget(m_browser, 1, 0, 1, 5);
    layout->setRowStretch(1, 1);
    connect(back, &QPushButton::clicked, m_browser, &UrlFinderBrowser::back);
    connect(m_browser, &UrlFinderBrowser::addressChanged, m_address, &QLineEdit::setText);
    connect(m_browser, &UrlFinderBrowser::streamChosen, this, &UrlFinder::addShow);
#else
    // Going back belongs to the browser the pages open in.
    back->setEnabled(false);
    auto *note = new QLabel(QStringLiteral("Pages open in your web browser. Copy the address of the station's "
                                           "stream or player into URL: above and choose Add Show."),
                            this);
    note->setWordWrap(true);
    note->setMinimumHeight(80);
    layout->addWidget(note, 1, 0, 1, 5);
#endif

    auto *popupButton = new QPushButton(QStringLiteral("Get Popup URL:"), this);
    m_popup = new QLineEdit(this);
    m_popup->setObjectName(QStringLiteral("popup"));
    m_popup->setReadOnly(true);
    auto *goBottom = new QPushButton(QStringLiteral("Go"), this);
    goBottom->setObjectName(QStringLiteral("goBottom"));
    auto *addBottom = new QPushButton(QStringLiteral("Add Show"), this);
    addBottom->setObjectName(QStringLiteral("addBottom"));
    layout->addWidget(popupButton, 2, 0, 1, 2);
    layout->addWidget(m_popup, 2, 2);
    layout->addWidget(goBottom, 2, 3);
    layout->addWidget(addBottom, 2, 4);

    auto *row = new QHBoxLayout;
    auto *help = new QPushButton(QStringLiteral("Help"), this);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    row->addStretch();
    row->addWidget(help);
    row->addWidget(close);
    layout->addLayout(row, 3, 0, 1, 5);
#ifdef SKYWELL_WITH_WEBENGINE
    resize(900, 700);
    if (m_deps.startPage.isEmpty())
        m_browser->showStartPage();
    else
        m_browser->load(m_deps.startPage);
#else
    resize(640, 220);
#endif

    connect(goTop, &QPushButton::clicked, this, [this] { go(m_address->text()); });
    connect(m_address, &QLineEdit::returnPressed, this, [this] { go(m_address->text()); });
    connect(addTop, &QPushButton::clicked, this, [this] { addShow(m_address->text()); });
    connect(popupButton, &QPushButton::clicked, this, &UrlFinder::getPopupAddress);
    connect(goBottom, &QPushButton::clicked, this, [this] { go(m_popup->text()); });
    connect(addBottom, &QPushButton::clicked, this, [this] { addShow(m_popup->text()); });
    connect(help, &QPushButton::clicked, this, [this] {
        if (m_deps.help)
            m_deps.help();
    });
    connect(close, &QPushButton::clicked, this, [this] {
        m_chosen.reset();
        accept();
    });
}

void UrlFinder::go(const QString &address)
{
    if (address.trimmed().isEmpty())
        return;
#ifdef SKYWELL_WITH_WEBENGINE
    m_browser->load(address.trimmed());
#else
    if (m_deps.openInBrowser)
        m_deps.openInBrowser(address.trimmed());
#endif
}

void UrlFinder::getPopupAddress()
{
    // The pop-up or stream the finder's own pages opened last; else what
    // the desktop's browser says of its window.
    QString address;
#ifdef SKYWELL_WITH_WEBENGINE
    address = m_browser->lastFoundAddress();
#endif
    if (address.isEmpty() && m_deps.queryBrowserWindow)
        address = m_deps.queryBrowserWindow();
    m_popup->setText(address);
}

void UrlFinder::addShow(const QString &address)
{
    if (address.trimmed().isEmpty()) {
        if (m_deps.prompter)
            m_deps.prompter->error(kNoAddressText);
        return;
    }
    m_chosen = address.trimmed();
    accept();
}

std::optional<QString> runUrlFinder(QWidget *parent, UrlFinderDeps deps)
{
    UrlFinder finder(std::move(deps), parent);
    finder.exec();
    return finder.chosen();
}

} // namespace skywell
