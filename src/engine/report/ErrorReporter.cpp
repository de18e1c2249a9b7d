#include "report/ErrorReporter.h"

#include "core/Prompts.h"

ErrorReporter::ErrorReporter(Prompts &prompts, QString supportAddress)
    : m_prompts(prompts), m_supportAddress(std::move(supportAddress))
{
}

void ErrorReporter::setContextSource(std::function<ReportContext()> source)
{
    m_contextSource = std::move(source);
}

void ErrorReporter::RaiseError(const QString &errorText)
{
    m_errorText = errorText;
    if (m_open)
        return;
    m_open = true;
    // The contents are composed now and do not change while the window is open.
    const ReportContext context = m_contextSource ? m_contextSource() : ReportContext();
    m_prompts.errorReport(m_errorText, errorInvitationText(m_supportAddress),
                          errorReportText(m_errorText, context));
    m_open = false;
}
