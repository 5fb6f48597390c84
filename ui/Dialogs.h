#pragma once
// The modal dialogs the windows open. Each is created, shown and freed in one call.
#include <functional>
#include <string>
#include <vector>

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

// The download from the head unit: the read dialog, then the save dialog. `readWholeMemory` is set
// while Shift is held. `openOptions` runs the options dialog for the save dialog's "&Options...";
// the trainings written go to `open`.
void ExecuteVeltrakReadDataDialog(QWidget* parent, TKLTIniData& configuration, TOptionDataNew& optionTree,
                                  bool readWholeMemory, const std::function<void()>& openOptions,
                                  const std::function<void(const std::vector<std::string>& paths)>& open);
// The live ergometer window on the configured head unit, or (`telemetry`) on two riders' telemetry,
// with the competition window when `competition`; the rides stored go to `open`.
void ExecuteLiveWindow(QWidget* parent, TKLTIniData& configuration, TOptionDataNew& optionTree, bool telemetry,
                       bool competition, const std::function<void(const std::string& path)>& open);
// The heart-rate variability window on the configured head unit.
void ExecuteHRVarianceWindow(QWidget* parent, TKLTIniData& configuration, TOptionDataNew& optionTree);
// The head unit's live values and clock.
void ExecuteVeltrakStateDialog(QWidget* parent, TKLTIniData& configuration, TOptionDataNew& optionTree);

} // namespace klt
