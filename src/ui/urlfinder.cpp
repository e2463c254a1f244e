#include "ui/urlfinder.h"

#include "core/prompter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/urlfinderbrowserprocess.h"

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

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("browserNote"));
    m_note->setWordWrap(true);
    m_note->setMinimumHeight(80);
    layout->addWidget(m_note, 1, 0, 1, 5);
    if (!m_deps.browserProgram.isEmpty()) {
        m_browser = new UrlFinderBrowserProcess(m_deps.browserProgram, this);
        connect(back, &QPushButton::clicked, m_browser, &UrlFinderBrowserProcess::back);
        connect(m_browser, &UrlFinderBrowserProcess::addressChanged, m_address, &QLineEdit::setText);
        connect(m_browser, &UrlFinderBrowserProcess::streamChosen, this, &UrlFinder::addShow);
        connect(m_browser, &UrlFinderBrowserProcess::stateChanged, this, &UrlFinder::showBrowserState);
        m_browser->start(m_deps.startPage);
    }
    showBrowserState();

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
    resize(640, 220);
    m_address->setFocus();

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
    if (m_browser && m_browser->state() != UrlFinderBrowserProcess::State::Missing)
        m_browser->load(address.trimmed());
    else if (m_deps.openInBrowser)
        m_deps.openInBrowser(address.trimmed());
}

void UrlFinder::showBrowserState()
{
    using State = UrlFinderBrowserProcess::State;
    const State state = m_browser ? m_browser->state() : State::Missing;
    switch (state) {
    case State::NotStarted:
    case State::Running:
        m_note->setText(kBrowserOpenText);
        break;
    case State::Missing:
        m_note->setText(kBrowserMissingText);
        break;
    case State::Closed:
        m_note->setText(kBrowserClosedText);
        break;
    case State::EndedBadly:
        m_note->setText(kBrowserEndedText);
        break;
    }
}

void UrlFinder::getPopupAddress()
{
    // The pop-up or stream the finder's own pages opened last; else what
    // the desktop's browser says of its window.
    QString address;
    if (m_browser)
        address = m_browser->lastFoundAddress();
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
