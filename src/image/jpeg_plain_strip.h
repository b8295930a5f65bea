// A picture of one colour, compressed without compressing all of it.
//
// In such a picture every 8 x 8 block is flat: all its AC coefficients are zero, and after the
// first MCU every DC difference is zero as well. With the standard Huffman tables each of those
// MCUs is then four luminance blocks of "DC difference 0" (2 bits) and "end of block" (4 bits)
// and two chrominance blocks of 2 + 2 bits: 32 bits, the same for every colour and quality. So
// the entropy-coded data of a taller picture of the colour is that of a shorter one with whole
// 4-byte repeats of those 32 bits put in after the first MCU (at most 90 bits, a few bytes more
// with stuffing); the end, with its padding, stays as it is. The encoder compresses a few MCU
// rows with libjpeg and lengthens the result here, and compresses the whole picture as ever
// when the short one is not as expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tapisto::jpeg_detail {

// How many rows of a plain picture `width` x `rows` to compress so that it can be lengthened
// to the whole; `rows` itself when the picture is too small for that to pay.
int PlainRowsToCompress(int width, int rows);

// The whole JPEG of a plain picture `rows` high, from `shortJpeg`: what libjpeg wrote for the
// same picture PlainRowsToCompress rows high (4:2:0, standard Huffman tables, no restart
// inside), whose frame header's height lies at offset `frameHeight` and whose entropy-coded
// data starts at `scanData`. Empty when the short picture's data does not repeat as it must.
std::vector<std::uint8_t> LengthenPlainJpeg(std::span<const std::uint8_t> shortJpeg,
                                            std::size_t frameHeight, std::size_t scanData,
                                            int width, int rows);

}  // namespace tapisto::jpeg_detail
