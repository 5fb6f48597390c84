#pragma once
// The modal dialogs the windows open. Each is created, shown and freed in one call.
#include <functional>
#include <string>

class QWidget;

namespace klt {

class TKLTFile;
class TKLTIniData;
class TOptionData;
class TOptionDataNew;

// The training browser; `open` is called for every training the user opens from it.
void ExecuteFileOpenDialog(QWidget* parent, TKLTIniData& configuration,
                           const std::function<void(const std::string& path)>& open);

// Edits marker `index` of the file, or creates a new marker from the file's selection inside
// marker `enclosing` when index is negative. Whether the user confirmed.
bool ExecuteMarkerDialog(QWidget* parent, TKLTFile& file, int index, int enclosing);

// Date, start time, comment, initials and recalibration of a training. Whether anything changed.
bool ExecuteFilePropertyDialog(QWidget* parent, TKLTFile& file);

// The options dialog over a document's options and the configuration; whether the user confirmed
// (the caller then applies `options`).
bool ExecuteOptionDialog(QWidget* parent, TOptionData& options, TKLTIniData& configuration,
                         TOptionDataNew& optionTree);

void ExecuteInfoDialog(QWidget* parent);

} // namespace klt
