#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

namespace hemu {

class DatasetError;
class MessageBoxPrompter;
class Prompter;

/**
 * Tells the user why a dataset action started from a widget failed: through the Prompter of
 * the window the widget sits in (PromptChannel), or the program's message boxes over it.
 */
class ErrorReporter
{
public:
    explicit ErrorReporter(QWidget *owner);
    ~ErrorReporter();
    ErrorReporter(const ErrorReporter &) = delete;
    ErrorReporter &operator=(const ErrorReporter &) = delete;

    Prompter &prompter();

    /// Warns with the error's message unless it succeeded, was refused by a rule (refusals
    /// are silent) or was already told by a rule's error handler. Returns error.ok().
    bool report(const DatasetError &error);

private:
    QPointer<QWidget> m_owner;
    std::unique_ptr<MessageBoxPrompter> m_boxes;
};

} // namespace hemu
