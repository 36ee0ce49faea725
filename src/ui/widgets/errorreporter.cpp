#include "ui/widgets/errorreporter.h"

#include "core/dataset/dataseterror.h"
#include "ui/widgets/messageboxprompter.h"
#include "ui/widgets/promptchannel.h"

namespace hemu {

ErrorReporter::ErrorReporter(QWidget *owner)
    : m_owner(owner)
{
}

ErrorReporter::~ErrorReporter() = default;

Prompter &ErrorReporter::prompter()
{
    // Asked each time: the widget may have moved into a window since it was made.
    if (Prompter *channel = PromptChannel::find(m_owner))
        return *channel;
    if (!m_boxes)
        m_boxes = std::make_unique<MessageBoxPrompter>(m_owner ? m_owner->window() : nullptr);
    return *m_boxes;
}

bool ErrorReporter::report(const DatasetError &error)
{
    if (error.ok())
        return true;
    if (!error.isRefused() && !error.isReported() && !error.message().isEmpty())
        prompter().warning(error.message());
    return false;
}

} // namespace hemu
