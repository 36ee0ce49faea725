#include "core/dataset/filterexpression.h"

#include "core/dataset/valuecompare.h"

namespace hemu {

struct FilterExpression::Node
{
    enum Type { Or, And, Not, Compare, IsNull, IsNotNull, Truth, Field, Literal };
    enum Op { Eq, Ne, Lt, Gt, Le, Ge };
    Type type = Literal;
    Op op = Eq;
    std::unique_ptr<Node> left;
    std::unique_ptr<Node> right;
    QString name; // Field
    int position = 0;
    int fieldIndex = -1;
    QVariant literal;
};

namespace {

using Node = FilterExpression::Node;

struct Token
{
    enum Kind { End, Name, Number, String, Op, LParen, RParen, And, Or, Not, True, False, Null, Is };
    Kind kind = End;
    QString text;
    QVariant value;
    int position = 0; // 1-based character position in the text
};

QString errorAt(int position, const QString &what)
{
    return QStringLiteral("过滤条件有误（第 %1 个字符）：%2").arg(position).arg(what);
}

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool tokenize(const QString &s, QList<Token> *tokens, QString *error)
{
    int i = 0;
    const int n = int(s.size());
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.position = i + 1;
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            t.kind = c == QLatin1Char('(') ? Token::LParen : Token::RParen;
            t.text = c;
            ++i;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Quotes inside a string are doubled, as in SQL.
            QString text;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s.at(i) == c) {
                    if (i + 1 < n && s.at(i + 1) == c) {
                        text += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                text += s.at(i++);
            }
            if (!closed) {
                *error = errorAt(t.position, QStringLiteral("字符串缺少结束的引号"));
                return false;
            }
            t.kind = Token::String;
            t.value = text;
        } else if (c == QLatin1Char('[')) {
            const int close = int(s.indexOf(QLatin1Char(']'), i + 1));
            if (close < 0) {
                *error = errorAt(t.position, QStringLiteral("字段名缺少“]”"));
                return false;
            }
            t.kind = Token::Name;
            t.text = s.mid(i + 1, close - i - 1).trimmed();
            if (t.text.isEmpty()) {
                *error = errorAt(t.position, QStringLiteral("空的字段名"));
                return false;
            }
            i = close + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s.at(i + 1).isDigit())
                   || (c == QLatin1Char('-') && i + 1 < n && (s.at(i + 1).isDigit() || s.at(i + 1) == QLatin1Char('.'))
                       && (tokens->isEmpty() || tokens->last().kind == Token::Op || tokens->last().kind == Token::LParen
                           || tokens->last().kind == Token::And || tokens->last().kind == Token::Or
                           || tokens->last().kind == Token::Not))) {
            int j = i + 1;
            bool seenPoint = c == QLatin1Char('.');
            while (j < n && (s.at(j).isDigit() || (s.at(j) == QLatin1Char('.') && !seenPoint))) {
                if (s.at(j) == QLatin1Char('.'))
                    seenPoint = true;
                ++j;
            }
            if (j < n && (s.at(j) == QLatin1Char('e') || s.at(j) == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (s.at(k) == QLatin1Char('+') || s.at(k) == QLatin1Char('-')))
                    ++k;
                if (k < n && s.at(k).isDigit()) {
                    while (k < n && s.at(k).isDigit())
                        ++k;
                    j = k;
                    seenPoint = true;
                }
            }
            if (j < n && isNamePart(s.at(j))) {
                *error = errorAt(t.position, QStringLiteral("无法识别的数字“%1”").arg(s.mid(i, j - i + 1)));
                return false;
            }
            const QString text = s.mid(i, j - i);
            bool ok = false;
            if (!seenPoint) {
                const qint64 v = text.toLongLong(&ok);
                if (ok)
                    t.value = v;
            }
            if (!ok) {
                const double d = text.toDouble(&ok);
                if (!ok) {
                    *error = errorAt(t.position, QStringLiteral("无法识别的数字“%1”").arg(text));
                    return false;
                }
                t.value = d;
            }
            t.kind = Token::Number;
            t.text = text;
            i = j;
        } else if (isNameStart(c)) {
            int j = i + 1;
            while (j < n && isNamePart(s.at(j)))
                ++j;
            t.text = s.mid(i, j - i);
            const QString lower = t.text.toLower();
            if (lower == QLatin1String("and"))
                t.kind = Token::And;
            else if (lower == QLatin1String("or"))
                t.kind = Token::Or;
            else if (lower == QLatin1String("not"))
                t.kind = Token::Not;
            else if (lower == QLatin1String("true"))
                t.kind = Token::True;
            else if (lower == QLatin1String("false"))
                t.kind = Token::False;
            else if (lower == QLatin1String("null"))
                t.kind = Token::Null;
            else if (lower == QLatin1String("is"))
                t.kind = Token::Is;
            else
                t.kind = Token::Name;
            i = j;
        } else {
            static const char *const ops[] = {"<>", "!=", "<=", ">=", "=", "<", ">"};
            bool matched = false;
            for (const char *op : ops) {
                const QLatin1String l(op);
                if (s.mid(i, l.size()) == l) {
                    t.kind = Token::Op;
                    t.text = l;
                    i += int(l.size());
                    matched = true;
                    break;
                }
            }
            if (!matched) {
                *error = errorAt(t.position, QStringLiteral("无法识别的字符“%1”").arg(c));
                return false;
            }
        }
        tokens->append(t);
    }
    Token end;
    end.kind = Token::End;
    end.position = n + 1;
    tokens->append(end);
    return true;
}

class Parser
{
public:
    Parser(const QList<Token> &tokens, QString *error) : m_tokens(tokens), m_error(error) {}

    std::unique_ptr<Node> parseAll()
    {
        auto node = parseOr();
        if (!node)
            return nullptr;
        if (peek().kind != Token::End) {
            const Token &t = peek();
            if (t.kind == Token::RParen)
                return failAt(t, QStringLiteral("多余的“)”"));
            return failAt(t, QStringLiteral("多余的内容“%1”").arg(tokenText(t)));
        }
        return node;
    }

private:
    const Token &peek() const { return m_tokens.at(m_pos); }
    const Token &take() { return m_tokens.at(m_pos++); }

    static QString tokenText(const Token &t)
    {
        if (t.kind == Token::String)
            return QLatin1Char('\'') + t.value.toString() + QLatin1Char('\'');
        return t.text;
    }

    std::unique_ptr<Node> failAt(const Token &t, const QString &what)
    {
        if (m_error->isEmpty())
            *m_error = errorAt(t.position, what);
        return nullptr;
    }

    std::unique_ptr<Node> binary(Node::Type type, std::unique_ptr<Node> l, std::unique_ptr<Node> r)
    {
        auto node = std::make_unique<Node>();
        node->type = type;
        node->left = std::move(l);
        node->right = std::move(r);
        return node;
    }

    std::unique_ptr<Node> parseOr()
    {
        auto left = parseAnd();
        while (left && peek().kind == Token::Or) {
            take();
            auto right = parseAnd();
            if (!right)
                return nullptr;
            left = binary(Node::Or, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto left = parseNot();
        while (left && peek().kind == Token::And) {
            take();
            auto right = parseNot();
            if (!right)
                return nullptr;
            left = binary(Node::And, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Node> parseNot()
    {
        if (peek().kind == Token::Not) {
            take();
            auto operand = parseNot();
            if (!operand)
                return nullptr;
            auto node = std::make_unique<Node>();
            node->type = Node::Not;
            node->left = std::move(operand);
            return node;
        }
        return parseComparison();
    }

    std::unique_ptr<Node> parseComparison()
    {
        if (peek().kind == Token::LParen) {
            const Token open = take();
            auto inner = parseOr();
            if (!inner)
                return nullptr;
            if (peek().kind != Token::RParen)
                return failAt(open, QStringLiteral("括号不配对，缺少“)”"));
            take();
            return inner;
        }
        auto left = parseOperand();
        if (!left)
            return nullptr;
        const Token &t = peek();
        if (t.kind == Token::Op) {
            take();
            auto right = parseOperand();
            if (!right)
                return nullptr;
            auto node = binary(Node::Compare, std::move(left), std::move(right));
            node->op = opOf(t.text);
            node->position = t.position;
            return node;
        }
        if (t.kind == Token::Is) {
            take();
            bool negate = false;
            if (peek().kind == Token::Not) {
                take();
                negate = true;
            }
            if (peek().kind != Token::Null)
                return failAt(peek(), QStringLiteral("“IS”之后应为“NULL”"));
            take();
            auto node = std::make_unique<Node>();
            node->type = negate ? Node::IsNotNull : Node::IsNull;
            node->left = std::move(left);
            return node;
        }
        if (left->type == Node::Field || left->type == Node::Literal) {
            // A bare operand: "InUse" alone, or true/false.
            auto node = std::make_unique<Node>();
            node->type = Node::Truth;
            node->left = std::move(left);
            return node;
        }
        return left;
    }

    static Node::Op opOf(const QString &text)
    {
        if (text == QLatin1String("="))
            return Node::Eq;
        if (text == QLatin1String("<>") || text == QLatin1String("!="))
            return Node::Ne;
        if (text == QLatin1String("<"))
            return Node::Lt;
        if (text == QLatin1String(">"))
            return Node::Gt;
        if (text == QLatin1String("<="))
            return Node::Le;
        return Node::Ge;
    }

    std::unique_ptr<Node> parseOperand()
    {
        const Token &t = peek();
        auto node = std::make_unique<Node>();
        node->position = t.position;
        switch (t.kind) {
        case Token::Name:
            node->type = Node::Field;
            node->name = t.text;
            break;
        case Token::Number:
        case Token::String:
            node->type = Node::Literal;
            node->literal = t.value;
            break;
        case Token::True:
        case Token::False:
            node->type = Node::Literal;
            node->literal = t.kind == Token::True;
            break;
        case Token::Null:
            node->type = Node::Literal;
            break;
        case Token::End:
            return failAt(t, QStringLiteral("条件不完整"));
        case Token::RParen:
            return failAt(t, QStringLiteral("多余的“)”"));
        default:
            return failAt(t, QStringLiteral("此处应为字段名或值，而不是“%1”").arg(tokenText(t)));
        }
        take();
        return node;
    }

    const QList<Token> &m_tokens;
    QString *m_error;
    int m_pos = 0;
};

bool bindNode(Node *node, const std::function<int(const QString &)> &resolve, QString *error)
{
    if (!node)
        return true;
    if (node->type == Node::Field) {
        node->fieldIndex = resolve(node->name);
        if (node->fieldIndex < 0) {
            *error = errorAt(node->position, QStringLiteral("未知字段“%1”").arg(node->name));
            return false;
        }
    }
    return bindNode(node->left.get(), resolve, error) && bindNode(node->right.get(), resolve, error);
}

QVariant operandValue(const Node *node, const std::function<QVariant(int)> &value)
{
    return node->type == Node::Field ? value(node->fieldIndex) : node->literal;
}

bool isNullValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

bool evaluate(const Node *node, const std::function<QVariant(int)> &value, Qt::CaseSensitivity cs)
{
    switch (node->type) {
    case Node::Or:
        return evaluate(node->left.get(), value, cs) || evaluate(node->right.get(), value, cs);
    case Node::And:
        return evaluate(node->left.get(), value, cs) && evaluate(node->right.get(), value, cs);
    case Node::Not:
        return !evaluate(node->left.get(), value, cs);
    case Node::IsNull:
        return isNullValue(operandValue(node->left.get(), value));
    case Node::IsNotNull:
        return !isNullValue(operandValue(node->left.get(), value));
    case Node::Truth: {
        const QVariant v = operandValue(node->left.get(), value);
        double d = 0;
        if (ValueCompare::toNumber(v, &d))
            return d != 0;
        return !isNullValue(v) && !v.toString().isEmpty();
    }
    case Node::Compare: {
        const QVariant a = operandValue(node->left.get(), value);
        const QVariant b = operandValue(node->right.get(), value);
        const bool an = isNullValue(a), bn = isNullValue(b);
        if (an || bn) {
            // "X = NULL" asks whether X is empty, "X <> NULL" whether it is not;
            // ordering against NULL is never true.
            if (node->op == Node::Eq)
                return an && bn;
            if (node->op == Node::Ne)
                return an != bn;
            return false;
        }
        const int c = ValueCompare::compare(a, b, cs);
        switch (node->op) {
        case Node::Eq: return c == 0;
        case Node::Ne: return c != 0;
        case Node::Lt: return c < 0;
        case Node::Gt: return c > 0;
        case Node::Le: return c <= 0;
        case Node::Ge: return c >= 0;
        }
        return false;
    }
    case Node::Field:
    case Node::Literal:
        break;
    }
    return false;
}

} // namespace

FilterExpression::~FilterExpression() = default;

std::unique_ptr<FilterExpression> FilterExpression::parse(const QString &text, QString *error)
{
    QString localError;
    QString &err = error ? *error : localError;
    err.clear();
    QList<Token> tokens;
    if (!tokenize(text, &tokens, &err))
        return nullptr;
    if (tokens.size() == 1) {
        err = errorAt(1, QStringLiteral("条件为空"));
        return nullptr;
    }
    Parser parser(tokens, &err);
    auto root = parser.parseAll();
    if (!root)
        return nullptr;
    std::unique_ptr<FilterExpression> expr(new FilterExpression);
    expr->m_text = text;
    expr->m_root = std::move(root);
    return expr;
}

bool FilterExpression::bind(const std::function<int(const QString &)> &resolve, QString *error)
{
    QString localError;
    m_bound = bindNode(m_root.get(), resolve, error ? error : &localError);
    return m_bound;
}

bool FilterExpression::matches(const std::function<QVariant(int)> &value, Qt::CaseSensitivity cs) const
{
    return m_bound && evaluate(m_root.get(), value, cs);
}

} // namespace hemu
