#include "DemoGallery.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

namespace DemoGallery {

namespace {

struct Entry
{
    int id;
    const char *slug;
    const char *extension;
    const char *title; // as the site writes it: Latin-1, entities left in
    const char *rating;
};

struct Artist
{
    const char *name;
    QList<Entry> gallery;
    QList<Entry> scraps;
    QList<int> favorites; // ids of other artists' submissions
};

// Titles carry what real ones do: "&amp;", colons, a non-ASCII letter (one
// Latin-1 byte in the page), characters a file name cannot hold.
const QList<Artist> &artists()
{
    static const QList<Artist> list = {
        {"mossfern",
         {{101, "misty-valley", "png", "Misty Valley", "general"},
          {102, "salt-and-pepper-hills", "jpg", "Salt &amp; Pepper Hills", "general"},
          {103, "birches-in-snow", "png", "Study: Birches in Snow", "general"},
          {104, "cafe-at-dawn", "jpg", "Caf\xe9 at Dawn", "general"},
          {105, "the-old-mill", "txt", "The Old Mill: a short story", "general"},
          {106, "storm-front", "jpg", "Storm Front", "mature"},
          {107, "river-bend", "png", "River Bend &amp; Ferry", "general"},
          {108, "figure-drawing", "jpg", "Life Drawing: Figure", "adult"},
          {109, "first-light", "png", "First Light?", "general"}},
         {{110, "sketch-pines", "jpg", "Sketch: Pines", "general"},
          {111, "colour-swatches", "png", "Colour swatches &amp; notes", "general"},
          {112, "unfinished-harbour", "png", "Unfinished Harbour", "general"}},
         {201, 302, 401}},
        {"tidewren",
         {{201, "tide-song", "mp3", "Tide Song (loop)", "general"},
          {202, "lighthouse-at-dusk", "png", "Lighthouse at Dusk", "general"},
          {203, "sea-glass", "jpg", "Sea Glass: Macro", "general"},
          {204, "wave-theme", "mp3", "Wave Theme &amp; Variations", "general"},
          {205, "gull-portrait", "png", "Gull Portrait", "mature"}},
         {{206, "doodle-crabs", "png", "Doodle: Crabs", "general"},
          {207, "demo-take", "mp3", "Demo take #2", "general"}},
         {101, 104, 303, 501}},
        {"emberlark",
         {{301, "fire-dance", "swf", "Fire Dance (animation)", "general"},
          {302, "phoenix-rising", "png", "Phoenix Rising", "general"},
          {303, "ember-trail", "jpg", "Ember Trail", "mature"},
          {304, "dragon-tale", "txt", "Dragon Tale: Chapter One", "general"},
          {305, "lantern-festival", "jpg", "Lantern Festival &amp; Parade", "general"},
          {306, "spark-loop", "swf", "Spark Loop", "general"}},
         {{307, "wing-studies", "png", "Wing studies", "general"},
          {308, "flame-palette", "png", "Flame palette", "general"}},
         {205, 402}},
        {"corvidae",
         {{401, "raven-council", "png", "Raven Council", "mature"},
          {402, "moonlit-crows", "jpg", "Moonlit Crows", "general"},
          {403, "feather-study", "png", "Feather Study: Ink", "general"},
          {404, "midnight-garden", "jpg", "Midnight Garden", "adult"},
          {405, "poems-for-crows", "txt", "Poems for Crows", "general"}},
         {{406, "sketch-sheet", "png", "Sketch sheet", "general"}},
         {101, 301}},
        {"saltmarsh",
         {{501, "reed-beds", "jpg", "Reed Beds", "general"},
          {502, "heron-morning", "jpg", "Heron, Morning", "general"},
          {503, "tidal-flats", "png", "Tidal Flats: Low Water", "general"},
          {504, "marsh-fire", "jpg", "Marsh Fire", "mature"},
          {505, "estuary-walk", "txt", "Estuary Walk", "general"},
          {506, "samphire", "png", "Samphire &amp; Sea Lavender", "general"},
          {507, "grey-seals", "jpg", "Grey Seals", "general"}},
         {{508, "cloud-notes", "png", "Cloud notes", "general"}},
         {102}},
        {"kestrelink",
         {{601, "pixel-kestrel", "png", "Pixel Kestrel", "general"},
          {602, "tiny-town", "png", "Tiny Town &amp; Friends", "general"},
          {603, "chiptune-hover", "mp3", "Chiptune: Hover", "general"},
          {604, "sprite-sheet", "png", "Sprite Sheet", "general"},
          {605, "boss-fight", "swf", "Boss Fight (game)", "mature"}},
         {{606, "palette-test", "png", "Palette test", "general"}},
         {202, 306}},
    };
    return list;
}

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, format == QByteArrayLiteral("jpg") ? 88 : -1);
    return bytes;
}

QColor ratingColor(const QString &rating)
{
    if (rating == QLatin1String("adult"))
        return QColor(0x80, 0x00, 0x00);
    if (rating == QLatin1String("mature"))
        return QColor(0x00, 0x00, 0x80);
    return QColor(0x30, 0x30, 0x30);
}

SimSubmission submission(const QString &artist, const Entry &entry)
{
    SimSubmission s;
    s.id = entry.id;
    s.artist = artist;
    s.slug = QString::fromLatin1(entry.slug);
    s.extension = QString::fromLatin1(entry.extension);
    s.titleMarkup = QString::fromLatin1(entry.title);
    s.rating = QString::fromLatin1(entry.rating);
    const QString title = plainTitle(s.titleMarkup);
    if (s.extension == QLatin1String("png") || s.extension == QLatin1String("jpg"))
        s.body = picture(s.extension, s.id, artist, title, s.rating);
    else if (s.extension == QLatin1String("txt"))
        s.body = story(artist, title);
    else if (s.extension == QLatin1String("mp3"))
        s.body = musicStub(s.id);
    else
        s.body = flashStub(s.id);
    return s;
}

} // namespace

SiteConfig site()
{
    return SiteConfig{QStringLiteral("www.demo-gallery.invalid"),
                      QStringLiteral("demo-gallery.invalid"),
                      QStringLiteral("files.demo-gallery.invalid"),
                      QStringLiteral("update.vorpaline-demo.invalid"),
                      QStringLiteral("www.vorpaline-demo.invalid"),
                      QStringLiteral("support@vorpaline-demo.invalid")};
}

GalleryContent content()
{
    QMap<int, SimSubmission> byId;
    QList<SimUser> users;
    for (const Artist &artist : artists()) {
        SimUser user;
        user.name = QString::fromLatin1(artist.name);
        for (const Entry &entry : artist.gallery) {
            user.gallery.append(submission(user.name, entry));
            byId.insert(entry.id, user.gallery.last());
        }
        for (const Entry &entry : artist.scraps) {
            user.scraps.append(submission(user.name, entry));
            byId.insert(entry.id, user.scraps.last());
        }
        users.append(user);
    }
    GalleryContent gallery;
    for (int i = 0; i < users.size(); ++i) {
        for (int id : artists()[i].favorites)
            users[i].favorites.append(byId.value(id));
        gallery.addUser(users[i]);
    }
    return gallery;
}

QList<UserEntry> startingUsers()
{
    return {{QStringLiteral("mossfern"), true, true},
            {QStringLiteral("tidewren"), false, true},
            {QStringLiteral("emberlark"), true, false},
            {QStringLiteral("corvidae"), false, false},
            {missingUser(), false, false},
            {QStringLiteral("saltmarsh"), false, false},
            {QStringLiteral("kestrelink"), false, false}};
}

QString missingUser()
{
    return QStringLiteral("ghostvole");
}

QByteArray settingsText(const QList<UserEntry> &users, int delaySeconds)
{
    QByteArray text = "130\r\nnamemode=1\r\nfoldermode=1\r\n";
    auto flag = [](bool value) {
        return value ? QByteArrayLiteral("True") : QByteArrayLiteral("False");
    };
    for (const UserEntry &user : users) {
        text += "username=" + user.Name.toLatin1() + "\r\n";
        text += "getscraps=" + flag(user.Scraps) + "\r\n";
        text += "getfavs=" + flag(user.Favs) + "\r\n";
    }
    text += "delay=" + QByteArray::number(delaySeconds) + "\r\n";
    return text;
}

QString plainTitle(const QString &titleMarkup)
{
    QString title = titleMarkup;
    title.replace(QLatin1String("&quot;"), QLatin1String("\""));
    title.replace(QLatin1String("&lt;"), QLatin1String("<"));
    title.replace(QLatin1String("&gt;"), QLatin1String(">"));
    title.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return title;
}

QByteArray picture(const QString &format, int id, const QString &artist, const QString &title,
                   const QString &rating)
{
    const int width = 640;
    const int height = 400;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // A sky and three ranges of hills, coloured by the submission's number.
    const int hue = (id * 47) % 360;
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor::fromHsv(hue, 90, 250));
    sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 160, 170));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((hue + 20) % 360, 60, 255, 200));
    painter.drawEllipse(QPointF(width * (0.2 + (id % 5) * 0.15), height * 0.42), 34, 34);
    for (int layer = 0; layer < 3; ++layer) {
        QPainterPath hills;
        const double base = height * (0.55 + layer * 0.12);
        hills.moveTo(0, height);
        hills.lineTo(0, base);
        for (int x = 0; x <= width; x += 80) {
            const double rise = ((id * 13 + x * (layer + 3)) % 70) - 35;
            hills.quadTo(x + 40, base - 40 + rise, x + 80, base + rise / 3);
        }
        hills.lineTo(width, height);
        hills.closeSubpath();
        painter.setBrush(QColor::fromHsv((hue + 180 + layer * 15) % 360, 120, 150 - layer * 40));
        painter.drawPath(hills);
    }

    // The title on a banner, the artist and the rating under it.
    painter.setBrush(QColor(255, 255, 255, 210));
    painter.drawRoundedRect(QRectF(30, 30, width - 60, 110), 12, 12);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(34);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0x20, 0x20, 0x20));
    painter.drawText(QRectF(45, 38, width - 90, 56), Qt::AlignLeft | Qt::AlignVCenter, title);
    font.setPixelSize(20);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRectF(45, 92, width - 90, 36), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("by %1  \u00b7  #%2").arg(artist).arg(id));
    painter.setPen(ratingColor(rating));
    painter.drawText(QRectF(45, 92, width - 90, 36), Qt::AlignRight | Qt::AlignVCenter, rating);
    painter.end();
    return encode(image, format == QLatin1String("jpg") ? "jpg" : "png");
}

QByteArray story(const QString &artist, const QString &title)
{
    QString text = title + QStringLiteral("\nby ") + artist + QStringLiteral("\n\n");
    text += QStringLiteral(
        "The wind came down off the hills before dawn and rattled the shutters of every\n"
        "house along the lane. Nobody in the village remembered a spring like it.\n\n"
        "By the time the light reached the water, the old boat had slipped its rope and\n"
        "drifted halfway to the far bank, turning slowly, as if it were looking for\n"
        "something it had lost a long time ago.\n\n"
        "\"Leave it,\" said the miller. \"It knows the way home better than we do.\"\n\n"
        "And so they left it, and by evening it was back against the jetty, its rope\n"
        "trailing in the reeds, and a single feather lying on the middle seat.\n\n"
        "(The end.)\n");
    return text.toUtf8();
}

QByteArray musicStub(int id)
{
    // An ID3v2 tag followed by a few silent MPEG-1 Layer III frames
    // (128 kbit/s, 44.1 kHz: 417 bytes each).
    QByteArray bytes("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
    for (int frame = 0; frame < 12; ++frame) {
        QByteArray data(417, '\0');
        data[0] = char(0xFF);
        data[1] = char(0xFB);
        data[2] = char(0x90);
        data[3] = char(0x64);
        data[36] = char(id & 0x7F); // keeps the stubs of different tracks apart
        bytes += data;
    }
    return bytes;
}

QByteArray flashStub(int id)
{
    // The smallest movie that players accept: one frame of background colour.
    QByteArray body;
    // Frame size 550 x 400 px in twips: a RECT of four 15-bit fields after
    // the 5-bit field width, packed from the high bit down.
    QList<bool> bits;
    auto put = [&bits](quint32 value, int width) {
        for (int bit = width - 1; bit >= 0; --bit)
            bits.append(((value >> bit) & 1) != 0);
    };
    put(15, 5);
    for (quint32 value : {0u, 11000u, 0u, 8000u})
        put(value, 15);
    while (bits.size() % 8 != 0)
        bits.append(false);
    for (qsizetype i = 0; i < bits.size(); i += 8) {
        int byte = 0;
        for (int bit = 0; bit < 8; ++bit)
            byte = (byte << 1) | (bits[i + bit] ? 1 : 0);
        body += char(byte);
    }
    body += QByteArray("\x00\x18\x01\x00", 4); // 24 frames per second, one frame
    const QColor colour = QColor::fromHsv((id * 47) % 360, 150, 220);
    body += QByteArray("\x43\x02", 2); // SetBackgroundColor, 3 bytes
    body += char(colour.red());
    body += char(colour.green());
    body += char(colour.blue());
    body += QByteArray("\x40\x00\x00\x00", 4); // ShowFrame, End

    QByteArray header("FWS\x0A", 4);
    quint32 length = quint32(8 + body.size());
    char size[4];
    qToLittleEndian(length, size);
    header.append(size, 4);
    return header + body;
}

} // namespace DemoGallery
