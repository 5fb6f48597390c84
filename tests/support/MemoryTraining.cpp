#include "tests/support/MemoryTraining.h"

namespace klt::test {

void FillTraining(TKLTFile& file, int count, std::vector<TKLTBlock> blocks, const std::string& initials,
                  uint16_t date) {
    file.Clear();
    TKLTHeader& h = file.EditHeader();
    h.magic = {'K', 'L', 'T', '7'};
    h.date = date;
    h.circumference = 2000;
    h.slope = 3000;
    h.zeroOffset = 500;
    h.intervalNumerator = 1;
    h.intervalDenominator = 1;
    file.SetBlocks(std::move(blocks));
    file.SetSampleCount(count);
    for (int i = 1; i <= count; ++i) {
        file.Sample(i).Set(8 * i, 32 * 90, 64 * (100 + i), 32 * i, (i % 3) * 10, -i);
    }
    file.InsertMarker(TKLTMarker(initials, 0, 0));
    file.Normalise();
}

void WriteTraining(const std::string& path, const std::string& initials, uint16_t date, int count) {
    TKLTFile file(path);
    FillTraining(file, count, {}, initials, date);
    file.WriteKLT7(path, TDateTimeMark::None());
}

} // namespace klt::test
