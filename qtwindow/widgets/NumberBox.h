#pragma once
// A number field and its up and down arrows as one control. The field takes digits only; the
// arrows (and the Up and Down keys) step within a range. The field may still hold a number outside
// the range, or nothing: the caller decides what that means (the display address is refused when
// connecting, the hold time is refused where it is typed), so nothing is changed behind the
// operator's back.

#include <QAbstractSpinBox>

class CNumberBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    // maxDigits: the most digits the field takes.
    explicit CNumberBox(int maxDigits, QWidget* parent = nullptr);

    void SetRange(long long minimum, long long maximum);
    long long Minimum() const { return m_nMinimum; }
    long long Maximum() const { return m_nMaximum; }

    void SetText(const QString& text);
    bool IsEmpty() const { return text().isEmpty(); }
    // The field's number; 0 when empty.
    long long Value() const;
    // Not empty and within the range.
    bool IsInRange() const;
    // The field itself, for naming and tests.
    QLineEdit* Edit() const { return lineEdit(); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QSize sizeHint() const override;

signals:
    void textChanged(const QString& text);
    // Enter or Return in the field.
    void entered();

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_nMaxDigits;
    long long m_nMinimum = 1;
    long long m_nMaximum = 1;
};
