#pragma once

class QWidget;

namespace hemu {

class FileChooser;
class Prompter;

/**
 * The one way a widget reaches the user: every window carries the Prompter it talks
 * through, and a grid, binder or navigator asks the window it sits in. The application
 * object puts its prompter on the main window and makes it the fallback for widgets outside
 * any window, so a test that builds the program through it never meets a real message box.
 */
namespace PromptChannel {

/// `window` and every widget inside it talk through `prompter` (which must outlive it);
/// nullptr takes the window's own choice away again.
void attach(QWidget *window, Prompter *prompter);
/// The prompter of the nearest enclosing widget that has one, else the application's;
/// nullptr when neither is set (the caller then shows the program's message boxes).
Prompter *find(const QWidget *widget);
/// The prompter for widgets no window claims; nullptr clears it.
void setApplicationPrompter(Prompter *prompter);
Prompter *applicationPrompter();

/// The file chooser a window's widgets ask for file names (grid export), found the same
/// way as the prompter.
void attachFiles(QWidget *window, FileChooser *files);
FileChooser *findFiles(const QWidget *widget);
void setApplicationFiles(FileChooser *files);

} // namespace PromptChannel
} // namespace hemu
