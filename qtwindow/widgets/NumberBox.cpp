#include "qtwindow/widgets/NumberBox.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

CNumberBox::CNumberBox(int maxDigits, QWidget* parent) : QAbstractSpinBox(parent), m_nMaxDigits(maxDigits)
{
    lineEdit()->setMaxLength(maxDigits);
    setAccelerated(true);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        update(); // the arrows' enabling follows the number
        emit textChanged(text);
    });
}

void CNumberBox::SetRange(long long minimum, long long maximum)
{
    m_nMinimum = minimum;
    m_nMaximum = std::max(minimum, maximum);
    update();
}

void CNumberBox::SetText(const QString& text)
{
    lineEdit()->setText(text);
}

long long CNumberBox::Value() const
{
    return text().toLongLong(); // digits only, at most maxDigits of them: 0 when empty
}

bool CNumberBox::IsInRange() const
{
    const long long value = Value();
    return !IsEmpty() && value >= m_nMinimum && value <= m_nMaximum;
}

void CNumberBox::stepBy(int steps)
{
    // From an empty field or one out of range the first step lands inside it.
    const long long start = IsEmpty() ? m_nMinimum - (steps > 0 ? 1 : 0) : Value();
    SetText(QString::number(std::clamp(start + steps, m_nMinimum, m_nMaximum)));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled CNumberBox::stepEnabled() const
{
    if (isReadOnly() || !isEnabled())
        return StepNone;
    const long long value = Value();
    StepEnabled enabled = StepNone;
    if (IsEmpty() || value < m_nMaximum)
        enabled |= StepUpEnabled;
    if (!IsEmpty() && value > m_nMinimum)
        enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State CNumberBox::validate(QString& input, int&) const
{
    if (input.size() > m_nMaxDigits)
        return QValidator::Invalid;
    const bool digits = std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return digits ? QValidator::Acceptable : QValidator::Invalid;
}

QSize CNumberBox::sizeHint() const
{
    // Room beside the arrows for the digits the range needs and one more.
    QSize size = QAbstractSpinBox::sizeHint();
    const int digits = static_cast<int>(QString::number(m_nMaximum).size()) + 1;
    size.rwidth() += fontMetrics().horizontalAdvance(QString(digits, u'0'));
    return size;
}

void CNumberBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit entered();
    QAbstractSpinBox::keyPressEvent(event);
}
