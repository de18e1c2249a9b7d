#include "SimUpdateHost.h"
#include "TestEngine.h"

#include "archive/ArchiveRow.h"

#include <QDirIterator>

using namespace Qt::StringLiterals;

namespace {

// The tests' own authority and the certificates it made, in tests/data/tls.
QString tlsFile(const QString &name)
{
    return QDir(QStringLiteral(VORPALINE_TEST_CERTIFICATES)).filePath(name);
}
QSslConfiguration served(const QString &certificate)
{
    return SimListener::tlsFromFiles(tlsFile(certificate + ".pem"), tlsFile(u"server.key"_s));
}

// The engine against the simulated site; a host given a certificate is
// reached over TLS and serves that one. SSL_CERT_FILE names the authorities file, if any.
struct TlsSite : TestEngine
{
    SimUpdateHost updates;

    TlsSite(const QString &pageCertificate, const QString &fileCertificate,
            const QString &updateCertificate = {}, const QString &authorities = tlsFile("ca.pem"))
    {
        if (!authorities.isEmpty())
            qputenv("SSL_CERT_FILE", QFile::encodeName(authorities));
        pages = std::make_unique<GalleryPageHost>(content, TestHosts::File);
        files = std::make_unique<GalleryFileHost>(content);
        if (!pageCertificate.isEmpty())
            pages->serveTls(served(pageCertificate));
        if (!fileCertificate.isEmpty())
            files->serveTls(served(fileCertificate));
        if (!updateCertificate.isEmpty())
            updates.serveTls(served(updateCertificate));
        EXPECT_TRUE(pages->listen() && files->listen() && updates.listen());
        ports[TestHosts::Page] = pages->port();
        ports[TestHosts::File] = files->port();
        ports[TestHosts::Update] = updates.port();
        addUser(u"someone"_s, 3, 2);
        SimUser big; // one file of 3 MB, in many TLS records
        big.name = u"big"_s;
        big.gallery = {
            GalleryContent::make(90, u"big"_s, u"b"_s, u"png"_s, u"Big"_s, u"general"_s, 3 << 20)};
        content.addUser(big);
        settings.savePath = QDir::toNativeSeparators(folder.path());
        settings.favPath = settings.savePath + QDir::separator() + FolderNames::Favorites;
        AppEnvironment env = environment();
        env.site.pageTransport = Transport{443, !pageCertificate.isEmpty()};
        env.site.fileTransport = Transport{443, !fileCertificate.isEmpty()};
        env.site.updateTransport = Transport{443, !updateCertificate.isEmpty()};
        session = std::make_unique<Session>(env, settings.answers(), display);
    }
    ~TlsSite() { qunsetenv("SSL_CERT_FILE"); }

    // Every file under the program folder, by relative path, with its bytes.
    QMap<QString, QByteArray> stored() const
    {
        QMap<QString, QByteArray> result;
        for (QDirIterator it(folder.path(), QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            if (!path.contains(ArchiveFileName)) // its times differ from run to run
                result.insert(QDir(folder.path()).relativeFilePath(path), readFile(path));
        }
        return result;
    }
};

// The hosts are reached at 127.0.0.1, which their certificates do not name:
// each is verified by its own name.
TEST(Tls, AGetOverTlsMatchesPlainHttp)
{
    TlsSite plain({}, {}), tls(u"name-only"_s, u"name-only"_s);
    for (TlsSite *site : {&plain, &tls}) {
        site->run([&] { site->get(u"someone"_s, true, true); });
        site->run([&] { site->get(u"big"_s, true); });
    }
    EXPECT_EQ(tls.lines(), plain.lines());
    EXPECT_EQ(tls.stored(), plain.stored());
    EXPECT_EQ(tls.stored().size(), 7); // six submissions and the temporary file
    EXPECT_EQ(tls.pages->requests(), plain.pages->requests());
    EXPECT_EQ(tls.files->requests(), plain.files->requests());
    EXPECT_TRUE(tls.errorReports().isEmpty());
}

// A file in SSL_CERT_FILE that adds no authority is named in red, never read
// whole or waited on.
TEST(Tls, AFailedCertificateIsRefusedBeforeAnyRequest)
{
    const QString page = TestHosts::Page, file = TestHosts::File, ca = tlsFile(u"ca.pem"_s);
    const QString unknown = page + " not trusted: issued by an unknown authority";
    QTemporaryDir dir;
    const QString big = dir.filePath(u"big"_s), junk = dir.filePath(u"junk"_s);
    ASSERT_TRUE(writeFile(junk, "-----BEGIN CERTIFICATE-----\nx\n") && writeFile(big, {}) &&
                QFile(big).resize(TlsTrust::MaxAuthorityFileBytes + 1) &&
                QFile(junk).resize(TlsTrust::MaxAuthorityFileBytes)); // read: not past the bound
    // Page and file host certificates, SSL_CERT_FILE, the line, why SSL_CERT_FILE is not used.
    // clang-format off
    const std::tuple<QString, QString, QString, QString, QString> rows[] = {
        {u"other-host"_s, u"site"_s, ca, page + " not trusted: issued for other.invalid", {}},
        {u"site"_s, u"self-signed"_s, ca, file + " not trusted: self-signed certificate", {}},
        {u"site"_s, u"expired"_s, ca, file + " not trusted: expired on 2001-01-01", {}},
        {u"site"_s, u"site"_s, {}, unknown, {}},
        {u"site"_s, u"site"_s, dir.filePath(u"none"_s), unknown, u"does not exist"_s},
        {u"site"_s, u"site"_s, junk, unknown, u"holds no PEM certificate"_s},
        {u"site"_s, u"site"_s, dir.path(), unknown, u"is a folder, not a file"_s},
        {u"site"_s, u"site"_s, u"/dev/zero"_s, unknown, u"is a device, not a file"_s},
        {u"site"_s, u"site"_s, big, unknown, u"is larger than 4194304 bytes"_s},
    };
    // clang-format on
    for (const auto &[pageCertificate, fileCertificate, authorities, line, unused] : rows) {
        SCOPED_TRACE((line + u' ' + authorities).toStdString());
        TlsSite site(pageCertificate, fileCertificate, {}, authorities);
        site.run([&] { site.get(u"someone"_s, true); });
        const QStringList lines = site.colouredLines();
        EXPECT_EQ(lines.count(red("Certificate of " + line)), 1) << lines.join(u'\n').toStdString();
        const QString named = red(u"SSL_CERT_FILE %1 is not used: it %2; only the system's "
                                  "authorities are trusted."_s.arg(authorities, unused));
        EXPECT_EQ(lines.filter(u"SSL_CERT_FILE"_s),
                  unused.isEmpty() ? QStringList() : QStringList(named));
        EXPECT_TRUE(site.stored().isEmpty() && site.files->requests().isEmpty());
        EXPECT_EQ(site.pages->requests().isEmpty(), line.startsWith(page));
        EXPECT_TRUE(site.errorReports().isEmpty());
    }
}

TEST(Tls, TheUpdateCheckIsVerifiedToo)
{
    const QString refused = u"Certificate of %1 not trusted: self-signed certificate"_s;
    for (const auto &[certificate, line] :
         {std::pair{u"site"_s, green(u"No updates."_s)},
          {u"self-signed"_s, red(refused.arg(TestHosts::Update))}}) {
        TlsSite site({}, {}, certificate);
        site.session->checkForUpdate();
        EXPECT_TRUE(waitUntil([&] { return site.log().lineCount() == 2; }));
        EXPECT_EQ(site.colouredLines(), QStringList({black(u"Checking for update..."_s), line}));
        EXPECT_EQ(site.updates.requests().size(), certificate == u"site"_s ? 1 : 0);
        EXPECT_TRUE(site.errorReports().isEmpty());
    }
}

} // namespace
