// Any bytes as a column text training: the import either refuses them with an error or gives a
// consistent training, and what it gives exports to text that imports again.
#include <cstdint>
#include <numeric>
#include <string_view>

#include "core/Exceptions.h"
#include "core/TextExport.h"
#include "core/TextImport.h"
#include "tests/fuzz/FuzzSupport.h"

using klt::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    klt::TKLTFile file("fuzz.txt");
    try {
        klt::ImportTextTraining(file, std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const klt::EKLTFileInOutError&) {
        Check(file.SampleCount() == 0);
        return 0;
    }
    Check(file.SampleCount() >= 1 && file.SampleCount() <= klt::TKLTFile::kMaxSamples);
    Check(file.Interval() > 0);
    const auto& blocks = file.Blocks();
    Check(blocks.empty() || std::accumulate(blocks.begin(), blocks.end(), 0, [](int sum, const klt::TKLTBlock& b) {
                                return sum + b.count;
                            }) == file.SampleCount());
    for (const auto form : {klt::TTextExportForm::Basic, klt::TTextExportForm::Extended}) {
        klt::TKLTFile again("again.txt");
        klt::ImportTextTraining(again, klt::TrainingText(file, 0, form));
        Check(again.SampleCount() == file.SampleCount());
    }
    return 0;
}
