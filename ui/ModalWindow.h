#pragma once
// A window of its own (not a dialog) shown modally: the caller waits until it is closed, whatever
// refuses or allows its closing.
class QWidget;

namespace klt {

void RunModal(QWidget& window);

} // namespace klt
