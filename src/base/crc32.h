// CRC-32 as GPT headers and entry arrays carry it (the reflected polynomial
// 0xEDB88320, initial value and final mask 0xFFFFFFFF).
#pragma once

#include <cstdint>
#include <span>

namespace datrevo {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

}  // namespace datrevo
