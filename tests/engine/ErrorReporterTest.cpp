#include "TestEngine.h"

#include "report/ErrorReporter.h"
#include "report/ReportTexts.h"

using namespace Qt::StringLiterals;

// Socket handlers keep running while the report is open: a nested call only
// replaces the text, and a later call opens a fresh report.
TEST(ErrorReporter, OneReportIsOpenAtATime)
{
    ScriptedPrompts prompts;
    ErrorReporter errors(prompts, TestHosts::Support);
    ReportContext state;
    int opened = 0;
    prompts.onErrorReport = [&](const ScriptedPrompts::Shown &) {
        if (opened++ == 0) {
            errors.RaiseError(u"second"_s);
            EXPECT_EQ(errors.errorText(), u"second"_s);
            EXPECT_TRUE(errors.isOpen());
            errors.RaiseError(u"third"_s);
        }
    };
    errors.RaiseError(u"first"_s);
    EXPECT_FALSE(errors.isOpen());
    EXPECT_EQ(errors.errorText(), u"third"_s);
    auto shown = prompts.ofKind(u"error"_s);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, u"first"_s);
    EXPECT_EQ(shown[0].detail, errorInvitationText(TestHosts::Support));

    errors.setContextSource([&] { return state; });
    state.CurrentUser = u"alice"_s;
    state.CurrentFolder = u"favorites"_s;
    state.PageNumber = 2;
    state.Synching = true;
    errors.RaiseError(u"Error 10053 raised by sock1."_s);
    shown = prompts.ofKind(u"error"_s);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].text,
              u"Got error: Error 10053 raised by sock1.\r\nWhile getting alice's "
              u"favorites\r\nPage: 2\r\nFile: \r\nSync: True\r\nVer: Vorpaline 1.38b"_s);
}
