#include "WidgetPrompts.h"

#include "ErrorReportWindow.h"
#include "FirstStartNoticeWindow.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

Prompts::Answer WidgetPrompts::message(Icon icon, const QString &title, const QString &text,
                                       bool yesNo)
{
    QMessageBox box(m_owner);
    box.setWindowTitle(title);
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon(icon == Icon::Information   ? QMessageBox::Information
                : icon == Icon::Exclamation ? QMessageBox::Warning
                                            : QMessageBox::Question);
    box.setStandardButtons(yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    const int result = box.exec();
    if (!yesNo)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString WidgetPrompts::input(const QString &title, const QString &prompt,
                             const QString &defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_owner, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

QString WidgetPrompts::chooseFolder(const QString &prompt)
{
    const QString folder = QFileDialog::getExistingDirectory(m_owner, prompt, QDir::homePath());
    return QDir::toNativeSeparators(folder);
}

void WidgetPrompts::errorReport(const QString &heading, const QString &invitation,
                                const QString &report)
{
    ErrorReportWindow window(heading, invitation, report, m_owner);
    window.exec();
}

void WidgetPrompts::firstStartNotice(const QString &notice)
{
    FirstStartNoticeWindow window(notice, m_owner);
    window.exec();
}
