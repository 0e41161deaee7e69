#pragma once

#include <QObject>

#include <functional>

class QLabel;
class QLineEdit;

// A short line under a field that states its rule while the field breaks it: after a
// typed character was refused, or while what it holds is not yet acceptable. It goes
// as soon as the text is acceptable, and never repeats what was typed.
class FieldHint : public QObject
{
    Q_OBJECT

public:
    using Rule = std::function<bool(const QString&)>;

    // An empty field counts as breaking the rule only when emptyBreaksRule is set.
    FieldHint(QLineEdit* field, QLabel* hint, Rule acceptable, bool emptyBreaksRule = false);

    bool isAcceptable() const;

signals:
    void changed();

private:
    void update();

    QLineEdit* m_field;
    QLabel* m_hint;
    Rule m_acceptable;
    bool m_emptyBreaksRule;
    bool m_refused = false;
};
