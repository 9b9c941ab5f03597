#pragma once
#include <QAbstractSpinBox>
#include <optional>

namespace smx::platform {

// Integer field with arrow buttons. Reading never fails: text that is not a whole number reads
// as the minimum. Writing clamps to the range (unless minimum and maximum are equal).
class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    int Value() const;
    void setValue(int value);

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    int Increment() const { return step_; }
    void setMinValue(int value) { min_ = value; }
    void setMaxValue(int value) { max_ = value; }
    void setIncrement(int value) { step_ = value; }

    // The value the text holds, if it is a whole number within the signed 32-bit range.
    static std::optional<int> parse_whole_number(const QString& text);
    // The value clamped to [min, max]; no clamping when min == max.
    static qint64 clamp_to_range(qint64 value, int min, int max);
    // Whether a typed character is accepted by the key filter.
    static bool accepts_typed_character(QChar c);

    void stepBy(int steps) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }

private:
    int min_ = 0;
    int max_ = 100;
    int step_ = 1;
};

} // namespace smx::platform
