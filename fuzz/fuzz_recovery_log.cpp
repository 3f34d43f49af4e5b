// The recovery log loader: every field of a log file read back from bytes.
#include <cstdint>

#include "log/log_decoder.h"
#include "log/log_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    const DecodedLog decoded = DecodeRecoveryLog(std::span<const std::uint8_t>(data, size));
    if (decoded.status == LogDecodeStatus::Decoded) {
        // What was read must write back and read again to the same contents.
        const EncodedLog encoded = EncodeRecoveryLog(decoded.contents);
        if (encoded.ok()) {
            const DecodedLog again = DecodeRecoveryLog(encoded.bytes);
            if (again.status != LogDecodeStatus::Decoded) __builtin_trap();
        }
    }
    return 0;
}
