#pragma once

#include <QFrame>

// One of the two drawn progress bars (Shape1, Shape2): a grey bar whose width
// the window sets. Assistive tools read it as a progress bar with its value
// in percent, which the width alone would not tell them.
class ProgressShape final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressShape)

public:
    explicit ProgressShape(QWidget *parent = nullptr);

    // Whole percent, 0 to 100.
    int value() const { return m_value; }
    void setValue(double percent);

private:
    int m_value = 0;
};
