#include "SpinEdit.h"

#include "AppShell.h"

#include <QLineEdit>
#include <algorithm>

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    // The value is only ever read from the text; the spin box keeps no value of its own.
    setKeyboardTracking(false);
    lineEdit()->setText(QStringLiteral("0"));
}

void TSpinEdit::SetMaxLength(int length) {
    lineEdit()->setMaxLength(length > 0 ? length : 32767);
}

int TSpinEdit::Value() const {
    bool isNumber = false;
    const int value = text().toInt(&isNumber);
    return isNumber ? CheckValue(value) : FMinValue;
}

void TSpinEdit::SetValue(int value) {
    lineEdit()->setText(QString::number(CheckValue(value)));
}

int TSpinEdit::CheckValue(int value) const {
    if (FMaxValue == FMinValue)
        return value;
    return std::clamp(value, FMinValue, FMaxValue);
}

void TSpinEdit::Crop() {
    bool isNumber = false;
    const int value = text().toInt(&isNumber);
    if (isNumber && CheckValue(value) != value)
        SetValue(value);
}

void TSpinEdit::stepBy(int steps) {
    Guarded([&] { SetValue(Value() + steps * FIncrement); });
}

QValidator::State TSpinEdit::validate(QString& input, int&) const {
    bool typeable = false;
    Guarded([&] {
        typeable = std::all_of(input.cbegin(), input.cend(), [](QChar c) {
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
                   c == QLatin1Char('+');
        });
    });
    return typeable ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    Guarded([&] { enabled = isReadOnly() ? StepNone : StepUpEnabled | StepDownEnabled; });
    return enabled;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    Guarded([&] {
        QAbstractSpinBox::focusOutEvent(event);
        Crop();
    });
}
