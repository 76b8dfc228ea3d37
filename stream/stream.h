/// \file
/// Streams: byte sources and sinks with typed reads and writes, file and
/// memory streams, byte-order views, opening by URL through the factory
/// chain, embedded files, whole-file helpers, text streams in four encodings
/// and standard input and output, and banks of raw memory with streams over
/// them.
#pragma once

#include "stream/bank.h"
#include "stream/bank_stream.h"
#include "stream/basic_stream.h"
#include "stream/c_stream.h"
#include "stream/data_stream.h"
#include "stream/embedded_files.h"
#include "stream/io.h"
#include "stream/loader_chain.h"
#include "stream/ram_stream.h"
#include "stream/standard_io.h"
#include "stream/stream_closer.h"
#include "stream/stream_exceptions.h"
#include "stream/stream_factory.h"
#include "stream/stream_functions.h"
#include "stream/stream_utils.h"
#include "stream/stream_wrapper.h"
#include "stream/text_stream.h"
#include "stream/xendian_stream.h"

namespace vtl {

/// Initialises the runtime, registers the stream classes, makes the bank and
/// list data types, creates the "incbin", byte-order, text, bank and "data"
/// factories and StandardIOStream. Runs once.
void InitStream();

}  // namespace vtl
