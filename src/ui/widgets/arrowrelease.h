#pragma once

#include <functional>

class QWidget;

namespace hemu {

/// Runs `act` whenever the Up or Down arrow key is released in `list` (not on auto-repeat):
/// a keyboard move through a list that counts as a click on the row it lands on.
void whenArrowReleased(QWidget *list, std::function<void()> act);

} // namespace hemu
