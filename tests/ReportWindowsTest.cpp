#include "TestWindow.h"

#include "windows/ErrorReportWindow.h"
#include "windows/ErrorReporter.h"
#include "windows/FirstStartNoticeWindow.h"
#include "windows/ReportTexts.h"
#include "windows/WidgetPrompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString report(const QStringList &lines)
{
    return lines.join(CrLf);
}

// Presses "Ok" of the modal window as soon as it shows; gives up after a while.
void pressOkOfNextModal(QString *title = nullptr)
{
    auto *timer = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, title] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && clock->elapsed() < 20000)
            return;
        if (modal) {
            if (title)
                *title = modal->windowTitle();
            if (auto *ok = modal->findChild<QPushButton *>(QStringLiteral("CmdOk")))
                ok->click();
        }
        timer->stop();
        timer->deleteLater();
        delete clock;
    });
    timer->start(20);
}

} // namespace

TEST(ReportTexts, TheErrorReportHasSixLinesWithoutAFinalBreak)
{
    struct Case
    {
        const char *what;
        std::function<void(JobState &)> set;
        QString expected;
    };
    const Case cases[] = {
        {"nothing has run yet", [](JobState &) {},
         report({"Got error: Boom", "While getting 's ", "Page: 0", "File: ", "Sync: False",
                 "Ver: Vorpaline 1.38b"})},
        {"in the middle of a Sync",
         [](JobState &s) {
             s.CurrentUser = QStringLiteral("bob");
             s.CurrentFolder = QStringLiteral("scraps");
             s.PageNumber = 12;
             s.FileName = QStringLiteral("Fish & Chips.png");
             s.Synching = true;
         },
         report({"Got error: Boom", "While getting bob's scraps", "Page: 12",
                 "File: Fish & Chips.png", "Sync: True", "Ver: Vorpaline 1.38b"})},
        {"a negative page", [](JobState &s) { s.PageNumber = -32768; },
         report({"Got error: Boom", "While getting 's ", "Page: -32768", "File: ", "Sync: False",
                 "Ver: Vorpaline 1.38b"})},
    };
    for (const Case &c : cases) {
        auto state = std::make_unique<JobState>();
        state->ErrorText = QStringLiteral("Boom");
        c.set(*state);
        const QString text = errorReportText(*state);
        EXPECT_EQ(text, c.expected) << c.what;
        EXPECT_FALSE(text.endsWith(CrLf)) << c.what;
        EXPECT_EQ(text.count(CrLf), 5) << c.what;
    }
    // An error text with line breaks of its own is kept as it is.
    auto state = std::make_unique<JobState>();
    state->ErrorText = QStringLiteral("Could not open connection on sock1.") + CrLf +
                       QStringLiteral("Check if GS is up");
    EXPECT_TRUE(errorReportText(*state).startsWith(
        QStringLiteral("Got error: Could not open connection on sock1.\r\nCheck if GS is up\r\n")));
}

TEST(ReportTexts, NoticeInvitationAndAbout)
{
    const QString notice = firstStartNoticeText();
    const QStringList lines = {
        "It seems like it's the first time you're starting this version of Vorpl.",
        "",
        "Be aware that the configuration file \"vorpl.dat\" may contain your unencrypted login "
        "data to GS.",
        "If this file was accidentaly copied or made available to someone, please logout of GS "
        "and login again.",
        "This will renew your session and prevent account hijack.",
        "",
        "",
        "Don't hesitate to share it if you like it !",
    };
    EXPECT_EQ(notice, lines.join(CrLf) + CrLf);
    EXPECT_TRUE(notice.endsWith(QStringLiteral("it !\r\n")));

    EXPECT_EQ(errorInvitationText(QStringLiteral("help@example.invalid")),
              QStringLiteral("If this error persists, please send a mail to help@example.invalid "
                             "containing this information (copy and paste):"));
    EXPECT_TRUE(aboutText(QStringLiteral("www.example.invalid"))
                    .startsWith(QStringLiteral(
                        "Vorpaline 1.38b\r\nLightweight automatic downloader for Gallerine.")));
}

TEST(RaiseError, ANestedCallOnlyReplacesTheTextAndALaterCallOpensAFreshReport)
{
    TestWindow test;
    MainWindow &window = test.open();
    JobState &state = window.state();
    test.prompts.shown.clear();

    int nested = 0;
    test.prompts.onErrorReport = [&](const ScriptedPrompts::Shown &) {
        // Socket handlers keep running while the report is open.
        if (nested++ == 0) {
            window.RaiseError(QStringLiteral("second"));
            EXPECT_EQ(state.ErrorText, QStringLiteral("second"));
            EXPECT_TRUE(window.errors().isOpen());
            window.RaiseError(QStringLiteral("third"));
        }
    };
    window.RaiseError(QStringLiteral("first"));
    EXPECT_FALSE(window.errors().isOpen());
    EXPECT_EQ(state.ErrorText, QStringLiteral("third"));
    auto shown = test.prompts.ofKind(QStringLiteral("error"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("first")); // the heading
    EXPECT_EQ(shown[0].text, report({"Got error: first", "While getting 's ", "Page: 0",
                                     "File: ", "Sync: False", "Ver: Vorpaline 1.38b"}));
    EXPECT_EQ(shown[0].detail, errorInvitationText(TestHosts::Support));

    // Closed, the next call composes a new report from the state of that moment.
    state.CurrentUser = QStringLiteral("alice");
    state.CurrentFolder = QStringLiteral("favorites");
    state.PageNumber = 2;
    state.FileName = QStringLiteral("Badfilename");
    state.Synching = true;
    window.RaiseError(QStringLiteral("Error 10053 raised by sock1."));
    shown = test.prompts.ofKind(QStringLiteral("error"));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].title, QStringLiteral("Error 10053 raised by sock1."));
    EXPECT_EQ(shown[1].text,
              report({"Got error: Error 10053 raised by sock1.", "While getting alice's favorites",
                      "Page: 2", "File: Badfilename", "Sync: True", "Ver: Vorpaline 1.38b"}));
}

TEST(ReportWindows, TheErrorReportWindowShowsItsParts)
{
    const QString text = report({"Got error: Boom", "While getting 's ", "Page: 0",
                                 "File: ", "Sync: False", "Ver: Vorpaline 1.38b"});
    ErrorReportWindow window(QStringLiteral("Boom"), errorInvitationText(TestHosts::Support), text);
    EXPECT_EQ(window.objectName(), QStringLiteral("Form3"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Error"));
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("LblError"))->text(),
              QStringLiteral("Boom"));
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("LblInvitation"))->text(),
              errorInvitationText(TestHosts::Support));
    auto *box = window.findChild<QPlainTextEdit *>(QStringLiteral("TxtReport"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->toPlainText(), QString(text).replace(CrLf, QStringLiteral("\n")));
    EXPECT_EQ(box->document()->blockCount(), 6);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_TRUE(box->textInteractionFlags() & Qt::TextSelectableByMouse);
    auto *ok = window.findChild<QPushButton *>(QStringLiteral("CmdOk"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("Ok"));

    window.show();
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST(ReportWindows, TheNoticeWindowShowsTheNotice)
{
    FirstStartNoticeWindow window(firstStartNoticeText());
    EXPECT_EQ(window.objectName(), QStringLiteral("Form2"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Security notice"));
    auto *heading = window.findChild<QLabel *>(QStringLiteral("LblHeading"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text(), QStringLiteral("First start security notice"));
    EXPECT_TRUE(heading->font().bold());
    EXPECT_GT(heading->font().pointSizeF(), window.font().pointSizeF());
    auto *text = window.findChild<QPlainTextEdit *>(QStringLiteral("TxtNotice"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(),
              QString(firstStartNoticeText()).replace(CrLf, QStringLiteral("\n")));
    EXPECT_EQ(text->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(text->palette().color(QPalette::Base), window.palette().color(QPalette::Window));
    auto *ok = window.findChild<QPushButton *>(QStringLiteral("CmdOk"));
    ASSERT_NE(ok, nullptr);
    window.show();
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

// The real prompts are modal: they return once "Ok" is pressed.
TEST(ReportWindows, TheRealPromptsReturnWhenClosed)
{
    WidgetPrompts prompts;
    QString title;
    pressOkOfNextModal(&title);
    prompts.errorReport(nullptr, QStringLiteral("Boom"), QStringLiteral("Invitation"),
                        QStringLiteral("Report"));
    EXPECT_EQ(title, QStringLiteral("Error"));

    title.clear();
    pressOkOfNextModal(&title);
    prompts.firstStartNotice(nullptr, firstStartNoticeText());
    EXPECT_EQ(title, QStringLiteral("Security notice"));
}
