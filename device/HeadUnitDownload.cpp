#include "device/HeadUnitDownload.h"

#include <algorithm>
#include <array>

#include "device/VeltrakExceptions.h"
#include "device/VeltrakRecords.h"
#include "device/genv/MemoryVFile.h"
#include "device/usb/VeltrakVI.h"

namespace klt {
namespace {

// While the download runs, every wait of the protocol looks whether the user asked it to stop.
class TAbortOnRequest {
public:
    TAbortOnRequest(TVeltrakInternal& veltrak, IDownloadSink& sink) : veltrak_(veltrak), before_(veltrak.OnIdle) {
        veltrak.OnIdle = [this, &sink] {
            if (before_) {
                before_();
            }
            if (sink.AbortRequested()) {
                veltrak_.RequestAbort();
            }
        };
    }
    ~TAbortOnRequest() { veltrak_.OnIdle = before_; }
    TAbortOnRequest(const TAbortOnRequest&) = delete;
    TAbortOnRequest& operator=(const TAbortOnRequest&) = delete;

private:
    TVeltrakInternal& veltrak_;
    TVeltrakInternal::TEvent before_;
};

// The upper part of the memory fills from its end downwards.
int RecordIndex(const TVeltrakImage& image, int read) {
    return read < image.HeapCount ? read : image.HeapSize + image.HeapCount - read - 1;
}

void DownloadRegisterMemory(TVeltrak& veltrak, TVeltrakImage& image, IDownloadSink& sink, bool wholeMemory) {
    const int reported = image.HeapCount + image.HeapCountUpper;
    const int total = wholeMemory ? kWholeRegisterMemoryRecords : reported;
    const int lower = std::min<int>(image.HeapCount, total);
    std::vector<uint8_t> memory(static_cast<size_t>(total) * kVeltrakRecordSize);
    IProtocolClock& clock = veltrak.Clock();
    uint32_t lapStart = clock.Milliseconds();
    for (int read = 0; read < total; ++read) {
        std::array<uint8_t, kVeltrakRecordSize> record{};
        veltrak.RetryOnError(
            [&] { record = veltrak.ReadMemoryBlock(static_cast<uint16_t>(RecordIndex(image, read))); });
        std::copy(record.begin(), record.end(), memory.begin() + static_cast<long>(read) * kVeltrakRecordSize);
        veltrak.ProcessIdle();
        if ((read + 1) % kRecordsPerEstimate == 0) {
            const uint32_t now = clock.Milliseconds();
            const int left = total - read - 1;
            // hundredths, rounded up to the next whole second
            sink.RemainingTime(int64_t{(now - lapStart) & 0x7FFFFFFFu} * (left / kRecordsPerEstimate) / 10 + 99);
            lapStart = now;
        }
        sink.Progress(read * 100 / total);
    }
    // the image keeps every record read, also those of a whole-memory read beyond the fill counts
    image.HeapCount = static_cast<uint16_t>(lower);
    image.HeapCountUpper = static_cast<uint16_t>(total - lower);
    image.SetMemory(memory);
}

TDownloadResult DownloadMemoryBlocks(TVeltrak& veltrak, TVeltrakImage& image, IDownloadSink& sink, bool newerCommand) {
    veltrak.DownloadMemoryV([&](int percent) { sink.Progress(percent); }, newerCommand);
    image.SetBlockMemory(veltrak.Memory(), veltrak.GarbledBlocks());
    TDownloadResult result = image.CreateTrainingFiles(sink);
    if (veltrak.BlockCount() < veltrak.AnnouncedBlocks()) {
        result.Incomplete("The Veltrak announced " + std::to_string(veltrak.AnnouncedBlocks()) +
                          " blocks of memory but sent " + std::to_string(veltrak.BlockCount()) + ".");
    }
    return result;
}

} // namespace

TDownloadResult DownloadTrainings(TVeltrak& veltrak, TVeltrakImage& image, IDownloadSink& sink,
                                  const TDownloadSettings& settings) {
    TAbortOnRequest abort(veltrak, sink);
    const TVeltrakHWVersion hardware = image.HWVersion();
    if (hardware >= TVeltrakHWVersion::HWVersionVT6x128) {
        return veltrak.DownloadSections(image, sink, {settings.limits, settings.fahrenheit, settings.wholeMemory});
    }
    if (hardware == TVeltrakHWVersion::HWVersionVT5x128) {
        return DownloadMemoryBlocks(veltrak, image, sink, settings.wholeMemory);
    }
    DownloadRegisterMemory(veltrak, image, sink, settings.wholeMemory);
    return {};
}

} // namespace klt
