#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace skywell
{

// The user guide shipped with Skywell: one HTML file, a section per
// window, each starting at an element whose id is the window's help anchor.
inline const QString kUserGuideFileName = QStringLiteral("user-guide.html");

// The sections the windows open ("" for the top of the guide).
namespace GuideSection
{
inline const QString mainWindow = QStringLiteral("main_window");
inline const QString firstStart = QStringLiteral("first_start");
inline const QString nothingRecorded = QStringLiteral("nothing_recorded");
inline const QString quickRecord = QStringLiteral("quick");
inline const QString recordings = QStringLiteral("recordings");
inline const QString urlFinder = QStringLiteral("url_finder");
inline const QString sourceTest = QStringLiteral("source_test");
inline const QString pickShow = QStringLiteral("pick_show");
inline const QString about = QStringLiteral("about");
inline const QString fileNames = QStringLiteral("file_names");
} // namespace GuideSection

// Every anchor a window opens the guide at: the sections above, the Show
// editor's pages and the settings sheet's pages.
QStringList userGuideAnchors();

// Where the guide is looked for, in order: installed beside the program
// (<prefix>/share/doc/skywell/ for <prefix>/bin/skywell), then the source
// tree the program was built from.
QStringList userGuideCandidates(const QString &executableFolder);

// The first candidate that exists, or "" when there is none.
QString findUserGuide(const QString &executableFolder);

// The guide's file:// address, at the anchor when one is given.
QUrl userGuideUrl(const QString &guideFile, const QString &anchor);

// A small page in folder (created when missing) that forwards the browser
// to the guide's section: xdg-open on a desktop without its own opener
// drops the "#anchor" of a file address, the page keeps it. Returns the
// page's path, or "" when it cannot be written (then open the address with
// the anchor instead).
QString writeSectionPage(const QString &guideFile, const QString &anchor, const QString &folder);

inline const QString kNoUserGuideText =
    QStringLiteral("The user guide is not installed. Skywell looked for it here:\n\n%1");
inline const QString kNoBrowserText =
    QStringLiteral("No web browser could be started to show the user guide (%1). You can open the guide in any web "
                   "browser:\n\n%2");

} // namespace skywell
