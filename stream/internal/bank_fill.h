// Reading a stream into a bank whose memory grows only as bytes arrive,
// shared by TBank::Load and the bank data type.
#pragma once

#include <cstdint>

#include "stream/bank.h"

namespace vtl {

// Appends up to limit bytes from the stream to the end of the bank, stopping
// at the stream's end or at a Read that brings nothing. Each step asks for at
// most what the stream says it has left (64 KiB when it does not know), so a
// size field that lies costs no memory beyond the bytes really there.
// Returns the bytes appended.
int32_t FillBankFromStream(TBank& bank, TStream& stream, int32_t limit);

}  // namespace vtl
