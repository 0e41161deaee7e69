#include "FieldHint.h"

#include <QLabel>
#include <QLineEdit>

FieldHint::FieldHint(QLineEdit* field, QLabel* hint, Rule acceptable, bool emptyBreaksRule)
    : QObject(field)
    , m_field(field)
    , m_hint(hint)
    , m_acceptable(std::move(acceptable))
    , m_emptyBreaksRule(emptyBreaksRule)
{
    // A refused character leaves the text as it was, acceptable or not: the hint
    // stays until the text next changes to an acceptable one.
    connect(field, &QLineEdit::inputRejected, this, [this] {
        m_refused = true;
        update();
    });
    connect(field, &QLineEdit::textChanged, this, [this] {
        if (isAcceptable())
            m_refused = false;
        update();
    });
    update();
}

bool FieldHint::isAcceptable() const
{
    return m_acceptable(m_field->text());
}

void FieldHint::update()
{
    const bool breaksRule = !isAcceptable() && (m_emptyBreaksRule || !m_field->text().isEmpty());
    m_hint->setVisible(m_refused || breaksRule);
    emit changed();
}
