#include "device/transport/LibFtdiLink.h"

#include <ftdi.h>

#include <algorithm>
#include <chrono>

namespace klt {
namespace {

constexpr int kDescriptionSize = 50; // 49 characters and the terminator

// Runs fn(device, description) for every FTDI device until it returns true; the status of listing.
template <class Fn> TFtStatus ForEachDevice(ftdi_context* context, Fn&& fn) {
    ftdi_device_list* devices = nullptr;
    const int found = ftdi_usb_find_all(context, &devices, 0, 0);
    if (found < 0) {
        return FT_IO_ERROR;
    }
    for (ftdi_device_list* entry = devices; entry != nullptr; entry = entry->next) {
        char description[kDescriptionSize] = {};
        // A device in use by another program cannot be asked; it is listed without a description.
        ftdi_usb_get_strings(context, entry->dev, nullptr, 0, description, kDescriptionSize, nullptr, 0);
        if (fn(entry->dev, std::string(description))) {
            break;
        }
    }
    ftdi_list_free(&devices);
    return FT_OK;
}

} // namespace

TLibFtdiLink::TLibFtdiLink() : context_(ftdi_new()) {}

TLibFtdiLink::~TLibFtdiLink() {
    if (context_ != nullptr) {
        Close();
        ftdi_free(context_);
    }
}

TFtStatus TLibFtdiLink::Ready() const {
    if (context_ == nullptr) {
        return FT_INSUFFICIENT_RESOURCES;
    }
    return open_ ? FT_OK : FT_INVALID_HANDLE;
}

TFtStatus TLibFtdiLink::ListDescriptions() {
    if (context_ == nullptr) {
        return FT_INSUFFICIENT_RESOURCES;
    }
    descriptions_.clear();
    return ForEachDevice(context_, [this](libusb_device*, std::string description) {
        descriptions_.push_back(std::move(description));
        return false;
    });
}

TFtStatus TLibFtdiLink::DeviceCount(int& count) {
    const TFtStatus status = ListDescriptions();
    count = static_cast<int>(descriptions_.size());
    return status;
}

TFtStatus TLibFtdiLink::DeviceDescription(int index, std::string& description) {
    if (descriptions_.empty()) {
        if (const TFtStatus status = ListDescriptions(); status != FT_OK) {
            return status;
        }
    }
    if (index < 0 || static_cast<size_t>(index) >= descriptions_.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    description = descriptions_[static_cast<size_t>(index)];
    return FT_OK;
}

TFtStatus TLibFtdiLink::OpenByDescription(const std::string& description) {
    if (context_ == nullptr) {
        return FT_INSUFFICIENT_RESOURCES;
    }
    Close();
    TFtStatus opened = FT_DEVICE_NOT_FOUND;
    const TFtStatus listed = ForEachDevice(context_, [&](libusb_device* device, const std::string& text) {
        if (text != description) {
            return false;
        }
        opened = ftdi_usb_open_dev(context_, device) == 0 ? FT_OK : FT_DEVICE_NOT_OPENED;
        return true;
    });
    if (listed != FT_OK) {
        return listed;
    }
    open_ = opened == FT_OK;
    received_.clear();
    return opened;
}

TFtStatus TLibFtdiLink::Close() {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    open_ = false;
    received_.clear();
    return Io(ftdi_usb_close(context_));
}

TFtStatus TLibFtdiLink::ResetDevice() {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    received_.clear();
    return Io(ftdi_usb_reset(context_));
}

TFtStatus TLibFtdiLink::PurgeTransmit() {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    return Io(ftdi_tcoflush(context_));
}

TFtStatus TLibFtdiLink::PurgeReceive() {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    received_.clear();
    return Io(ftdi_tciflush(context_));
}

TFtStatus TLibFtdiLink::ApplyLineProperties(bool breakOn) {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    // The driver library's codes for data bits, stop bits and parity are libftdi's enumerators.
    return Io(ftdi_set_line_property2(
        context_, static_cast<ftdi_bits_type>(dataBits_), static_cast<ftdi_stopbits_type>(stopBits_),
        static_cast<ftdi_parity_type>(parity_), breakOn ? BREAK_ON : BREAK_OFF));
}

TFtStatus TLibFtdiLink::SetBreak(bool on) {
    return ApplyLineProperties(on);
}

TFtStatus TLibFtdiLink::SetBaudRate(int baud) {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    return Io(ftdi_set_baudrate(context_, baud));
}

TFtStatus TLibFtdiLink::SetDataCharacteristics(int dataBits, int stopBits, int parity) {
    dataBits_ = dataBits;
    stopBits_ = stopBits;
    parity_ = parity;
    return ApplyLineProperties(false);
}

TFtStatus TLibFtdiLink::SetFlowControlNone(uint8_t /*xon*/, uint8_t /*xoff*/) {
    // Without flow control the XON and XOFF characters are never sent.
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    return Io(ftdi_setflowctrl(context_, SIO_DISABLE_FLOW_CTRL));
}

TFtStatus TLibFtdiLink::SetTimeouts(int readMs, int writeMs) {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    readTimeoutMs_ = std::max(readMs, 1);
    context_->usb_read_timeout = readTimeoutMs_;
    context_->usb_write_timeout = std::max(writeMs, 1);
    return FT_OK;
}

TFtStatus TLibFtdiLink::QueueStatus(size_t& waiting) {
    waiting = 0;
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    unsigned char chunk[512];
    context_->usb_read_timeout = 1;
    const int got = ftdi_read_data(context_, chunk, sizeof(chunk));
    context_->usb_read_timeout = readTimeoutMs_;
    if (got < 0) {
        return FT_IO_ERROR;
    }
    received_.insert(received_.end(), chunk, chunk + got);
    waiting = received_.size();
    return FT_OK;
}

TFtStatus TLibFtdiLink::Write(const uint8_t* bytes, size_t count, size_t& written) {
    written = 0;
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    const int sent = ftdi_write_data(context_, bytes, static_cast<int>(count));
    if (sent < 0) {
        return FT_IO_ERROR;
    }
    written = static_cast<size_t>(sent);
    return FT_OK;
}

TFtStatus TLibFtdiLink::Read(uint8_t* bytes, size_t count, size_t& read) {
    read = 0;
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    read = std::min(count, received_.size());
    std::copy_n(received_.begin(), read, bytes);
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(read));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(readTimeoutMs_);
    while (read < count && std::chrono::steady_clock::now() < deadline) {
        // An empty read only means the chip's latency timer sent its status bytes.
        const int got = ftdi_read_data(context_, bytes + read, static_cast<int>(count - read));
        if (got < 0) {
            return FT_IO_ERROR;
        }
        read += static_cast<size_t>(got);
    }
    return FT_OK;
}

TFtStatus TLibFtdiLink::SetBitMode(uint8_t mask, uint8_t mode) {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    return Io(ftdi_set_bitmode(context_, mask, mode));
}

TFtStatus TLibFtdiLink::CyclePort() {
    if (const TFtStatus status = Ready(); status != FT_OK) {
        return status;
    }
    ftdi_usb_reset(context_);
    return Close();
}

} // namespace klt
