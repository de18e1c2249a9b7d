#pragma once

#include <QDialog>

// The first-start security notice (Form2).
class FirstStartNoticeWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FirstStartNoticeWindow)

public:
    explicit FirstStartNoticeWindow(const QString &notice, QWidget *parent = nullptr);
};
