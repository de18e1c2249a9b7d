#include "TestWaits.h"
#include "TestWindow.h"

#include "windows/ErrorReportWindow.h"
#include "windows/ErrorReporter.h"
#include "windows/FirstStartNoticeWindow.h"
#include "windows/ReportTexts.h"
#include "windows/WidgetPrompts.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString CrLf = u"\r\n"_s;

// The six lines of an error report, joined without a final break.
QString report(const QString &error, const QString &getting = u"'s "_s, int page = 0,
               const QString &file = {}, bool sync = false)
{
    return QStringList{"Got error: " + error,
                       "While getting " + getting,
                       u"Page: %1"_s.arg(page),
                       "File: " + file,
                       sync ? u"Sync: True"_s : u"Sync: False"_s,
                       u"Ver: Vorpaline 1.38b"_s}
        .join(CrLf);
}

template <typename T> T *child(QWidget &window, const QString &name)
{
    auto *found = window.findChild<T *>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

// Presses "Ok" of the modal window as soon as it shows; gives up after 20 s.
void pressOkOfNextModal(QString *title)
{
    auto *timer = new QTimer;
    auto *ticks = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, title] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && ++*ticks < 1000)
            return;
        if (modal) {
            *title = modal->windowTitle();
            if (auto *ok = modal->findChild<QPushButton *>(u"CmdOk"_s))
                ok->click();
        }
        timer->stop();
        timer->deleteLater();
        delete ticks;
    });
    timer->start(20);
}

} // namespace

TEST(ReportTexts, TheErrorReportHasSixLinesWithoutAFinalBreak)
{
    struct Case
    {
        std::function<void(JobState &)> set;
        QString expected;
    };
    const Case cases[] = {
        {[](JobState &) {}, report(u"Boom"_s)},
        {[](JobState &s) {
             s.CurrentUser = u"bob"_s;
             s.CurrentFolder = u"scraps"_s;
             s.PageNumber = 12;
             s.FileName = u"Fish & Chips.png"_s;
             s.Synching = true;
         },
         report(u"Boom"_s, u"bob's scraps"_s, 12, u"Fish & Chips.png"_s, true)},
        {[](JobState &s) { s.PageNumber = -32768; }, report(u"Boom"_s, u"'s "_s, -32768)},
    };
    for (const Case &c : cases) {
        auto state = std::make_unique<JobState>();
        state->ErrorText = u"Boom"_s;
        c.set(*state);
        EXPECT_EQ(errorReportText(*state), c.expected);
    }
    // An error text with line breaks of its own is kept as it is.
    auto state = std::make_unique<JobState>();
    state->ErrorText = u"Could not open connection on sock1.\r\nCheck if GS is up"_s;
    EXPECT_EQ(errorReportText(*state), report(state->ErrorText));
}

TEST(ReportTexts, NoticeInvitationAndAbout)
{
    const QStringList lines = {
        u"It seems like it's the first time you're starting this version of Vorpl."_s,
        QString(),
        u"Be aware that the configuration file \"vorpl.dat\" may contain your unencrypted login "
        u"data to GS."_s,
        u"If this file was accidentaly copied or made available to someone, please logout of GS "
        u"and login again."_s,
        u"This will renew your session and prevent account hijack."_s,
        QString(),
        QString(),
        u"Don't hesitate to share it if you like it !"_s,
    };
    EXPECT_EQ(firstStartNoticeText(), lines.join(CrLf) + CrLf);
    EXPECT_EQ(errorInvitationText(u"help@example.invalid"_s),
              u"If this error persists, please send a mail to help@example.invalid "
              u"containing this information (copy and paste):"_s);
    EXPECT_TRUE(aboutText(u"www.example.invalid"_s)
                    .startsWith(u"Vorpaline 1.38b\r\nLightweight automatic downloader for "
                                u"Gallerine."_s));
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
            window.RaiseError(u"second"_s);
            EXPECT_EQ(state.ErrorText, u"second"_s);
            EXPECT_TRUE(window.errors().isOpen());
            window.RaiseError(u"third"_s);
        }
    };
    window.RaiseError(u"first"_s);
    EXPECT_FALSE(window.errors().isOpen());
    EXPECT_EQ(state.ErrorText, u"third"_s);
    auto shown = test.prompts.ofKind(u"error"_s);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, u"first"_s); // the heading
    EXPECT_EQ(shown[0].text, report(u"first"_s));
    EXPECT_EQ(shown[0].detail, errorInvitationText(TestHosts::Support));

    // Closed, the next call composes a new report from the state of that moment.
    state.CurrentUser = u"alice"_s;
    state.CurrentFolder = u"favorites"_s;
    state.PageNumber = 2;
    state.FileName = u"Badfilename"_s;
    state.Synching = true;
    const QString error = u"Error 10053 raised by sock1."_s;
    window.RaiseError(error);
    shown = test.prompts.ofKind(u"error"_s);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].title, error);
    EXPECT_EQ(shown[1].text, report(error, u"alice's favorites"_s, 2, u"Badfilename"_s, true));
}

// Both windows show their text with platform line breaks and close on "Ok".
TEST(ReportWindows, TheErrorReportAndNoticeWindowsShowTheirParts)
{
    const QString text = report(u"Boom"_s);
    ErrorReportWindow error(u"Boom"_s, errorInvitationText(TestHosts::Support), text);
    EXPECT_EQ(error.objectName(), u"Form3"_s);
    EXPECT_EQ(error.windowTitle(), u"Error"_s);
    EXPECT_EQ(child<QLabel>(error, u"LblError"_s)->text(), u"Boom"_s);
    EXPECT_EQ(child<QLabel>(error, u"LblInvitation"_s)->text(),
              errorInvitationText(TestHosts::Support));
    auto *box = child<QPlainTextEdit>(error, u"TxtReport"_s);
    EXPECT_EQ(box->toPlainText(), QString(text).replace(CrLf, u"\n"_s));
    EXPECT_EQ(box->document()->blockCount(), 6);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_TRUE(box->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(child<QPushButton>(error, u"CmdOk"_s)->text(), u"Ok"_s);

    FirstStartNoticeWindow notice(firstStartNoticeText());
    EXPECT_EQ(notice.objectName(), u"Form2"_s);
    EXPECT_EQ(notice.windowTitle(), u"Security notice"_s);
    auto *heading = child<QLabel>(notice, u"LblHeading"_s);
    EXPECT_EQ(heading->text(), u"First start security notice"_s);
    EXPECT_TRUE(heading->font().bold());
    EXPECT_GT(heading->font().pointSizeF(), notice.font().pointSizeF());
    auto *noticeText = child<QPlainTextEdit>(notice, u"TxtNotice"_s);
    EXPECT_EQ(noticeText->toPlainText(), QString(firstStartNoticeText()).replace(CrLf, u"\n"_s));
    EXPECT_EQ(noticeText->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(noticeText->palette().color(QPalette::Base),
              notice.palette().color(QPalette::Window));

    for (QDialog *window : {static_cast<QDialog *>(&error), static_cast<QDialog *>(&notice)}) {
        window->show();
        QTest::mouseClick(child<QPushButton>(*window, u"CmdOk"_s), Qt::LeftButton);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Accepted);
    }
}

// The real prompts are modal: they return once "Ok" is pressed.
TEST(ReportWindows, TheRealPromptsReturnWhenClosed)
{
    WidgetPrompts prompts;
    QString title;
    pressOkOfNextModal(&title);
    prompts.errorReport(nullptr, u"Boom"_s, u"Invitation"_s, u"Report"_s);
    EXPECT_EQ(title, u"Error"_s);

    pressOkOfNextModal(&title);
    prompts.firstStartNotice(nullptr, firstStartNoticeText());
    EXPECT_EQ(title, u"Security notice"_s);
}
