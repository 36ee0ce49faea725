#include "ui/widgets/promptchannel.h"

#include <QVariant>
#include <QWidget>

namespace hemu::PromptChannel {

namespace {

// A plain pointer in a dynamic property: Prompter is no QObject, and the prompter a window
// is given outlives the window (the application object owns both).
constexpr char property[] = "hemuPrompter";
constexpr char filesProperty[] = "hemuFileChooser";

Prompter *&fallback()
{
    static Prompter *prompter = nullptr;
    return prompter;
}

FileChooser *&fallbackFiles()
{
    static FileChooser *files = nullptr;
    return files;
}

template <typename T>
T *findUp(const QWidget *widget, const char *name, T *otherwise)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QVariant value = w->property(name);
        if (value.isValid())
            return reinterpret_cast<T *>(value.value<quintptr>());
    }
    return otherwise;
}

void put(QWidget *window, const char *name, const void *pointer)
{
    if (window)
        window->setProperty(name, pointer ? QVariant::fromValue(quintptr(pointer)) : QVariant());
}

} // namespace

void attach(QWidget *window, Prompter *prompter)
{
    put(window, property, prompter);
}

Prompter *find(const QWidget *widget)
{
    return findUp<Prompter>(widget, property, fallback());
}

void attachFiles(QWidget *window, FileChooser *files)
{
    put(window, filesProperty, files);
}

FileChooser *findFiles(const QWidget *widget)
{
    return findUp<FileChooser>(widget, filesProperty, fallbackFiles());
}

void setApplicationFiles(FileChooser *files)
{
    fallbackFiles() = files;
}

void setApplicationPrompter(Prompter *prompter)
{
    fallback() = prompter;
}

Prompter *applicationPrompter()
{
    return fallback();
}

} // namespace hemu::PromptChannel
