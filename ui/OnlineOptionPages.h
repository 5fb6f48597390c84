#pragma once
// The pages of the live options dialog other than "Predefined File". Each edits the working copy
// of the options editor directly and calls `changed` after every change. Tests find the controls
// by their object names.
#include <functional>

class QWidget;

namespace klt {

class TOnlineOptionsEditor;

using TOptionsChanged = std::function<void()>;

QWidget* CreateCommonOptionsPage(TOnlineOptionsEditor& editor, const TOptionsChanged& changed, QWidget* parent);
QWidget* CreateChartOptionsPage(TOnlineOptionsEditor& editor, const TOptionsChanged& changed, QWidget* parent);
// The ergometer mode and the open-end test's persons.
QWidget* CreateErgometerModePage(TOnlineOptionsEditor& editor, const TOptionsChanged& changed, QWidget* parent);
QWidget* CreateDemoOptionsPage(TOnlineOptionsEditor& editor, const TOptionsChanged& changed, QWidget* parent);

} // namespace klt
