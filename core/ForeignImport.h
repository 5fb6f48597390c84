#pragma once
// Trainings recorded by other heart-rate monitors and column text files, read as new trainings
// when such a file is opened: the importer is chosen by the file's extension.
#include <string>

#include "core/KLTFile.h"
#include "core/PRMesWrt.h"

namespace klt {

enum class TForeignFormat { None, Text, Hrm, Raw };

// ".raw", ".txt" or any extension holding "$", ".hrm"; None for anything else.
TForeignFormat ForeignFormatOf(const std::string& path);

// Reads the file named by `file` (at most kMaxForeignFileSize bytes) and imports it with the
// object's import options; false, with `file` untouched, for a file of no known format. Errors
// name the file; the caller clears the object.
bool ImportForeignFile(TKLTFile& file);
inline constexpr size_t kMaxForeignFileSize = 64u << 20;

// Makes level-3 loading of every training object use ImportForeignFile. A file of no known format
// fails to load with the error that made it look foreign.
void InstallForeignImports();

// What every importer does once the samples are in place: count, normalise, marker 0 over all
// samples, the start time, and the mark of a change so that it is saved.
void FinishImport(TKLTFile& file, int sampleCount, int32_t startTime);

// A raw value rounded into what an int holds, for the sample setters (which cut it to what a sample
// can store).
int RoundedRaw(double raw);

// A value in the user's display unit of `kind` as a raw value, held inside int for the setters
// (which cut it to what a sample can store); EConvertError for a value that is no number.
int ImportedRaw(TMesswertArtType kind, double display);

} // namespace klt
