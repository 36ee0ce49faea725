#pragma once

#include <QSqlError>
#include <QString>

namespace hemu {

/**
 * The outcome of a dataset operation: empty on success, otherwise a code and the message
 * a window can show. Deliberately not convertible to bool (`if (!ds.post())` would read
 * backwards): test ok() or failed().
 */
class DatasetError
{
public:
    enum class Code {
        None,
        State,      // the operation does not fit the dataset's state (not open, not editing, ...)
        Validation, // a value does not fit its field (type, length, read-only, required)
        Refused,    // an event hook refused the operation; abandon it silently
        Database,   // the database refused a statement; sqlError() holds its error
        Filter,     // a filter text that does not parse
        Sort,       // a sort text naming unknown fields
        Definition, // the dataset's definition does not fit the database (missing table or column)
        Conflict,   // another program changed or deleted the stored row since it was read
    };

    DatasetError() = default;
    DatasetError(Code code, const QString &message, const QSqlError &sqlError = {})
        : m_code(code), m_message(message), m_sqlError(sqlError)
    {
    }

    bool ok() const { return m_code == Code::None; }
    bool failed() const { return m_code != Code::None; }
    bool isRefused() const { return m_code == Code::Refused; }
    Code code() const { return m_code; }
    QString message() const { return m_message; }
    QSqlError sqlError() const { return m_sqlError; }

    /// True when an event hook (onPostError, onDeleteError) has already told the user.
    bool isReported() const { return m_reported; }
    void setReported(bool reported) { m_reported = reported; }

private:
    Code m_code = Code::None;
    QString m_message;
    QSqlError m_sqlError;
    bool m_reported = false;
};

} // namespace hemu
