#ifndef ZEL_UTILS_H
#define ZEL_UTILS_H

// Decodes one GIF image's LZW stream.
//   in, inLength  the image's data sub-blocks joined without their length
//                 bytes; never read past inLength bytes
//   out           receives pixel (col, row) at out[row * bytesPerLine + col];
//                 must hold bytesPerLine * height bytes, zero-filled first
//   codeSize      the image's minimum code size, 1 .. 8
//   interlace     non-zero for the GIF four-pass row order
// Returns the number of bits consumed, or 0 when the stream is corrupt. A
// stream that ends (end code or end of data) before the image is full
// leaves the remaining pixels at index 0.
int LZWDecoder(char* in, char* out, short codeSize, int bytesPerLine, int width, int height,
               int interlace, int inLength);

#endif
