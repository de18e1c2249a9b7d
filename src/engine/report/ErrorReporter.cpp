#include "report/ErrorReporter.h"

#include "core/JobState.h"
#include "core/Prompts.h"
#include "report/ReportTexts.h"

ErrorReporter::ErrorReporter(JobState &state, Prompts &prompts, QString supportAddress)
    : m_state(state), m_prompts(prompts), m_supportAddress(std::move(supportAddress))
{
}

void ErrorReporter::RaiseError(const QString &errorText)
{
    m_state.ErrorText = errorText;
    if (m_open)
        return;
    m_open = true;
    // The contents are composed now and do not change while the window is open.
    m_prompts.errorReport(m_state.ErrorText, errorInvitationText(m_supportAddress),
                          errorReportText(m_state));
    m_open = false;
}
