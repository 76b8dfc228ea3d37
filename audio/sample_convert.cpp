// Conversions between the six sample formats, through AUDIO_STEREO16BE.
#include <cstring>
#include <vector>

#include "audio/sample.h"
#include "runtime/exceptions.h"

namespace vtl {

namespace {

[[noreturn]] void Unimplemented() { RuntimeError("Unimplemented sample format conversion"); }

int32_t FromUnsigned8(uint8_t b) { return b * 257 - 32768; }
uint8_t ToUnsigned8(int32_t v) { return static_cast<uint8_t>((v + 32768) / 257); }

int32_t ReadBE(const uint8_t* p) { return static_cast<int16_t>(p[0] << 8 | p[1]); }
int32_t ReadLE(const uint8_t* p) { return static_cast<int16_t>(p[1] << 8 | p[0]); }

void WriteBE(uint8_t* p, int32_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
void WriteLE(uint8_t* p, int32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// Writes one hub frame.
void WriteHub(uint8_t*& out, int32_t left, int32_t right) {
  WriteBE(out, left);
  WriteBE(out + 2, right);
  out += 4;
}

}  // namespace

const int32_t SampleFrameBytes[7] = {0, 1, 2, 2, 2, 4, 4};
const int32_t SampleChannelCount[7] = {0, 1, 1, 1, 2, 2, 2};

int32_t BytesPerSampleFrame(int32_t format) { return format >= 1 && format <= 6 ? SampleFrameBytes[format] : 0; }

int32_t ChannelsOfSampleFormat(int32_t format) { return format >= 1 && format <= 6 ? SampleChannelCount[format] : 0; }

void DuplicateSamples(const uint8_t* source, uint8_t* destination, int32_t format, int32_t count) {
  if (format < 1 || format > 6) Unimplemented();
  if (count <= 0) return;
  std::memmove(destination, source, static_cast<size_t>(count) * static_cast<size_t>(SampleFrameBytes[format]));
}

void ExpandToHubFormat(const uint8_t* in, uint8_t* out, int32_t format, int32_t count) {
  if (format < 1 || format > 6) Unimplemented();
  if (format == AUDIO_STEREO16BE) return DuplicateSamples(in, out, format, count);
  for (int32_t i = 0; i < count; ++i) {
    switch (format) {
      case AUDIO_MONO8: {
        const int32_t v = FromUnsigned8(in[0]);
        WriteHub(out, v, v);
        in += 1;
        break;
      }
      case AUDIO_MONO16LE: {
        const int32_t v = ReadLE(in);
        WriteHub(out, v, v);
        in += 2;
        break;
      }
      case AUDIO_MONO16BE: {
        const int32_t v = ReadBE(in);
        WriteHub(out, v, v);
        in += 2;
        break;
      }
      case AUDIO_STEREO8:
        WriteHub(out, FromUnsigned8(in[0]), FromUnsigned8(in[1]));
        in += 2;
        break;
      case AUDIO_STEREO16LE:
        WriteHub(out, ReadLE(in), ReadLE(in + 2));
        in += 4;
        break;
    }
  }
}

void ReduceFromHubFormat(const uint8_t* in, uint8_t* out, int32_t format, int32_t count) {
  if (format < 1 || format > 6) Unimplemented();
  if (format == AUDIO_STEREO16BE) return DuplicateSamples(in, out, format, count);
  for (int32_t i = 0; i < count; ++i, in += 4) {
    const int32_t left = ReadBE(in);
    const int32_t right = ReadBE(in + 2);
    const int32_t mono = (left + right) / 2;  // C++ division truncates towards zero
    switch (format) {
      case AUDIO_MONO8: *out++ = ToUnsigned8(mono); break;
      case AUDIO_MONO16LE:
        WriteLE(out, mono);
        out += 2;
        break;
      case AUDIO_MONO16BE:
        WriteBE(out, mono);
        out += 2;
        break;
      case AUDIO_STEREO8:
        *out++ = ToUnsigned8(left);
        *out++ = ToUnsigned8(right);
        break;
      case AUDIO_STEREO16LE:
        WriteLE(out, left);
        WriteLE(out + 2, right);
        out += 4;
        break;
    }
  }
}

void TranscodeSamples(const uint8_t* source, int32_t from, uint8_t* destination, int32_t to, int32_t count) {
  if (from < 1 || from > 6 || to < 1 || to > 6) Unimplemented();
  if (from == to) return DuplicateSamples(source, destination, from, count);
  if (to == AUDIO_STEREO16BE) return ExpandToHubFormat(source, destination, from, count);
  if (from == AUDIO_STEREO16BE) return ReduceFromHubFormat(source, destination, to, count);
  std::vector<uint8_t> hub(static_cast<size_t>(count > 0 ? count : 0) * 4);
  ExpandToHubFormat(source, hub.data(), from, count);
  ReduceFromHubFormat(hub.data(), destination, to, count);
}

}  // namespace vtl
