#include "FirstStartNoticeWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

FirstStartNoticeWindow::FirstStartNoticeWindow(const QString &notice, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Security notice"));

    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto *heading = new QLabel(QStringLiteral("First start security notice"), this);
    heading->setObjectName(QStringLiteral("LblHeading"));
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    heading->setFont(big);
    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("TxtNotice"));
    text->setAccessibleName(QStringLiteral("First start security notice"));
    text->setReadOnly(true);
    text->setFrameShape(QFrame::NoFrame);
    // A borderless area on the window's own background, not an edit box.
    QPalette palette = text->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    text->setPalette(palette);
    text->setPlainText(QString(notice).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *right = new QVBoxLayout;
    right->addWidget(heading);
    right->addWidget(text, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(520, 300);
}
