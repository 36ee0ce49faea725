#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace hemu {

/**
 * A dataset filter text ("CataID=3 and IsZero=false") parsed once into a tree and then
 * evaluated per row. Grammar: field names (case-insensitive, optionally in [brackets]),
 * numbers, '..' and ".." strings, true/false, NULL, = <> != < > <= >=, IS [NOT] NULL,
 * and/or/not, parentheses. A bare field counts as true when it is not NULL and not 0.
 */
class FilterExpression
{
public:
    ~FilterExpression();

    /// The tree for `text`, or nullptr with `error` naming the problem and its position.
    static std::unique_ptr<FilterExpression> parse(const QString &text, QString *error);

    QString text() const { return m_text; }
    /// Resolves the field names to indexes; `resolve` returns -1 for an unknown name.
    bool bind(const std::function<int(const QString &)> &resolve, QString *error);
    bool isBound() const { return m_bound; }
    /// True when the row whose field values `value` returns passes the filter.
    bool matches(const std::function<QVariant(int fieldIndex)> &value, Qt::CaseSensitivity cs) const;

    struct Node;

private:
    FilterExpression() = default;
    QString m_text;
    std::unique_ptr<Node> m_root;
    bool m_bound = false;
};

} // namespace hemu
