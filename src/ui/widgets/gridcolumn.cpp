#include "ui/widgets/gridcolumn.h"

#include "core/dataset/valuecompare.h"

namespace hemu {

Choices choicesOf(const QStringList &texts)
{
    Choices choices;
    for (const QString &text : texts)
        choices.append({text, text});
    return choices;
}

QString choiceText(const Choices &choices, const QVariant &value)
{
    for (const Choice &choice : choices) {
        if (!value.isNull() && ValueCompare::equal(choice.value, value))
            return choice.text;
    }
    return value.toString();
}

} // namespace hemu
