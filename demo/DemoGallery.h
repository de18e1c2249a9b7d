#pragma once

#include "GalleryContent.h"
#include "core/SiteConfig.h"
#include "core/UserTable.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The demo's own gallery: a handful of made-up artists whose galleries,
// scraps and favorites hold real files generated at start (pictures with
// their title drawn on them, stories, music and animation stubs).
namespace DemoGallery {

// Host names the demo uses; they never reach a real resolver.
SiteConfig site();

// Every artist with all three folders filled; pictures are drawn here, so
// building the content takes a moment.
GalleryContent content();

// The user list the demo starts with, in order; one of the names has no
// account on the demo site.
QList<UserEntry> startingUsers();
// The name in startingUsers() that the site does not know.
QString missingUser();

// A settings file holding only these users and the waiting time; everything
// else is left to the program's defaults (the save folder is then the
// program folder, which is the demo's own folder).
QByteArray settingsText(const QList<UserEntry> &users, int delaySeconds);

// File bodies, exposed for the checks of the demo.
QByteArray picture(const QString &format, int id, const QString &artist, const QString &title,
                   const QString &rating);
QByteArray story(const QString &artist, const QString &title);
QByteArray musicStub(int id);
QByteArray flashStub(int id);

// The title as a person reads it: the few entities the site writes decoded.
QString plainTitle(const QString &titleMarkup);

} // namespace DemoGallery
