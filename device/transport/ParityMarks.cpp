#include "device/transport/ParityMarks.h"

namespace klt {

size_t TParityMarkDecoder::Decode(const uint8_t* raw, size_t length, uint8_t* out) {
    size_t produced = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t byte = raw[i];
        if (pending_ == 0 && byte == 0xFF) {
            pending_ = 1;
        } else if (pending_ == 0) {
            out[produced++] = byte;
        } else if (pending_ == 1 && byte == 0x00) {
            pending_ = 2;
        } else {
            out[produced++] = pending_ == 1 ? 0xFF : kParityErrorChar;
            pending_ = 0;
        }
    }
    return produced;
}

} // namespace klt
