#include "ProgressShape.h"

#include <QAccessibleWidget>

#include <algorithm>
#include <cmath>

namespace {

class ProgressShapeAccessible final : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ProgressShapeAccessible(ProgressShape *shape)
        : QAccessibleWidget(shape, QAccessible::ProgressBar)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return QString::number(shape()->value()) + QLatin1Char('%');
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return shape()->value(); }
    void setCurrentValue(const QVariant &) override {} // shown, never set by the user
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    ProgressShape *shape() const { return static_cast<ProgressShape *>(widget()); }
};

QAccessibleInterface *progressShapeInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(ProgressShape::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new ProgressShapeAccessible(static_cast<ProgressShape *>(object));
    return nullptr;
}

} // namespace

ProgressShape::ProgressShape(QWidget *parent) : QFrame(parent)
{
    // Installing the same factory again is a no-op.
    QAccessible::installFactory(progressShapeInterface);
}

void ProgressShape::setValue(double percent)
{
    // Anything but a number from 0 to 100 shows as the nearest end (0 for NaN).
    const int value = int(std::lround(percent > 0 ? std::min(percent, 100.0) : 0.0));
    if (value == m_value)
        return;
    m_value = value;
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, m_value);
        QAccessible::updateAccessibility(&event);
    }
}
