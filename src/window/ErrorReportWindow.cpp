#include "ErrorReportWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

ErrorReportWindow::ErrorReportWindow(const QString &heading, const QString &invitation,
                                     const QString &report, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Error"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *icon = new QLabel(this);
    icon->setAccessibleName(QStringLiteral("Error"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto *headingLabel = new QLabel(heading, this);
    headingLabel->setObjectName(QStringLiteral("LblError"));
    headingLabel->setWordWrap(true);
    headingLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *invitationLabel = new QLabel(invitation, this);
    invitationLabel->setObjectName(QStringLiteral("LblInvitation"));
    invitationLabel->setWordWrap(true);
    auto *reportBox = new QPlainTextEdit(this);
    reportBox->setObjectName(QStringLiteral("TxtReport"));
    reportBox->setAccessibleName(QStringLiteral("Report"));
    reportBox->setReadOnly(true);
    // Shown and copied with the platform's line breaks.
    reportBox->setPlainText(QString(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    ok->setAccessibleName(QStringLiteral("Ok"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->addWidget(headingLabel);
    text->addWidget(invitationLabel);
    text->addWidget(reportBox, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(480, 300);
}
