/// \file
/// Pixel formats: twelve byte-oriented layouts numbered 1 to 12, their sizes,
/// and the row operations every pixmap operation and loader is built on.
/// FMT_RGBA8888 is the hub: a conversion between two other formats goes
/// through it.
#pragma once

#include <cstdint>

namespace vtl {

/// The pixel formats. Read into the hub, the one-byte formats give the
/// colours and alpha noted here.
enum : int32_t {
  FMT_GREY8 = 1,        ///< Grey: red, green and blue alike, opaque.
  FMT_ALPHA8 = 2,       ///< Alpha over white.
  FMT_BGR888 = 3,       ///< Blue, green, red.
  FMT_RGB888 = 4,       ///< Red, green, blue.
  FMT_BGRA8888 = 5,     ///< Blue, green, red, alpha.
  FMT_RGBA8888 = 6,     ///< Red, green, blue, alpha: the hub.
  FMT_RED8 = 7,         ///< Red alone (green and blue 0, alpha 1).
  FMT_GREEN8 = 8,       ///< Green alone (red and blue 0, alpha 1).
  FMT_BLUE8 = 9,        ///< Blue alone (red and green 0, alpha 1).
  FMT_DARKALPHA8 = 10,  ///< Alpha over black.
  FMT_INTENSITY8 = 11,  ///< One value for red, green, blue and alpha.
  FMT_LUMINANCE8 = 12,  ///< Grey with alpha 1.
};

/// Indexed by format number 0 to 12; entry 0 stands for "no format".
///@{
extern int32_t BytesPerPixel[13];
extern int32_t AlphaBitsPerPixel[13];
///@}

/// True for the formats 1 to 12.
inline bool IsPixelFormat(int32_t format) { return format >= FMT_GREY8 && format <= FMT_LUMINANCE8; }
/// BytesPerPixel with any format number; 0 outside the table.
inline int32_t FormatBytes(int32_t format) { return format >= 0 && format <= 12 ? BytesPerPixel[format] : 0; }

/// Copies count pixels of the format.
void CopyPixelRow(const uint8_t* source, uint8_t* destination, int32_t format, int32_t count);
/// Converts count pixels between two formats, through the hub when neither is
/// FMT_RGBA8888. A format outside 1 to 12 reads as zero and writes nothing.
void ConvertPixelRow(const uint8_t* source, int32_t sourceFormat, uint8_t* destination, int32_t destinationFormat,
                     int32_t count);

}  // namespace vtl
