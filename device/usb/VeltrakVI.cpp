#include "device/usb/VeltrakVI.h"

#include "core/Exceptions.h"
#include "device/VeltrakExceptions.h"
#include "device/VeltrakImage.h"
#include "device/transport/UsbLink.h"
#include "device/usb/UsbTrafficLog.h"

namespace klt {

TVeltrakVI::TVeltrakVI(std::unique_ptr<ISerialLine> line, IProtocolClock* clock, TUsbLink* usb)
    : TVeltrakV(std::move(line), clock), usb_(usb != nullptr ? *usb : UsbLink()) {}

TVeltrakVI::~TVeltrakVI() = default;

void TVeltrakVI::ConnectVI() {
    throw EVeltrakVersion::NoVeltrakVI();
}
void TVeltrakVI::ReadStatus() {
    TVeltrakV::ReadStatus();
}
void TVeltrakVI::WriteSettings(const TVeltrakStatus& settings) {
    TVeltrakV::WriteSettings(settings);
}
void TVeltrakVI::ReadClock() {
    TVeltrakV::ReadClock();
}
void TVeltrakVI::WriteClock() {
    TVeltrakV::WriteClock();
}
void TVeltrakVI::ReadLiveValues() {
    TVeltrakV::ReadLiveValues();
}
void TVeltrakVI::StartRecording() {
    StartRecording(false);
}
void TVeltrakVI::StartRecording(bool) {
    TVeltrakV::StartRecording();
}
bool TVeltrakVI::IsBusy() {
    return false;
}
void TVeltrakVI::ResetOdometer() {}
void TVeltrakVI::ResetHeadUnit() {}
void TVeltrakVI::OpenTrafficLog(const std::string& databaseDir) {
    log_ = std::make_unique<TUsbTrafficLog>(databaseDir);
}
bool TVeltrakVI::Request(int, std::span<const uint8_t>) {
    return false;
}
const std::vector<uint8_t>& TVeltrakVI::Payload() const {
    static const std::vector<uint8_t> none;
    return requests_ ? requests_->Payload() : none;
}
bool TVeltrakVI::Connect(const std::string&, bool) {
    return false;
}
bool TVeltrak::ConnectV7() {
    return Connect(std::string(kVeltrak7Description), true);
}

} // namespace klt
