#pragma once
// A whole-number field with up and down buttons. Digits are free while they are typed, so any
// number within the limits can be entered a digit at a time; the text is brought inside the
// limits when the focus leaves and on every step.

#include <QAbstractSpinBox>

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    // A field showing 0, without limits, stepping by 1.
    explicit TSpinEdit(QWidget* parent = nullptr);

    // The limits; equal limits (0 and 0 at first) mean no limits.
    int MinValue() const { return FMinValue; }
    void SetMinValue(int value) { FMinValue = value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int value) { FMaxValue = value; }
    // What the buttons and the arrow keys add or take away; 1 at first.
    int Increment() const { return FIncrement; }
    void SetIncrement(int value) { FIncrement = value; }
    // The most characters the text may hold; 0 for no limit.
    void SetMaxLength(int length);

    // The text as a number, cropped to the limits; text that is no number reads as MinValue.
    int Value() const;
    // Shows the value, cropped to the limits.
    void SetValue(int value);

    // Adds steps × Increment to the value, cropped to the limits.
    void stepBy(int steps) override;
    // Only signs and digits may be typed.
    QValidator::State validate(QString& input, int& position) const override;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The value cropped to the limits, when there are any.
    int CheckValue(int value) const;
    // When the focus leaves: a number beyond a limit becomes that limit. Text that is no number
    // stays as it is.
    void Crop();

    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
};
