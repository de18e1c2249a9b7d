#pragma once

#include <QDialog>

// The error report (Form3): the error, an invitation to report it, and the
// report text ready to be copied.
class ErrorReportWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ErrorReportWindow)

public:
    ErrorReportWindow(const QString &heading, const QString &invitation, const QString &report,
                      QWidget *parent = nullptr);
};
