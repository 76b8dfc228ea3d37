/// \file
/// Streams: byte sources and sinks with typed reads and writes, file and
/// memory streams, byte-order views, opening by URL through the factory
/// chain, embedded files and whole-file helpers.
#pragma once

#include "stream/basic_stream.h"
#include "stream/c_stream.h"
#include "stream/data_stream.h"
#include "stream/embedded_files.h"
#include "stream/io.h"
#include "stream/loader_chain.h"
#include "stream/ram_stream.h"
#include "stream/stream_closer.h"
#include "stream/stream_exceptions.h"
#include "stream/stream_factory.h"
#include "stream/stream_functions.h"
#include "stream/stream_utils.h"
#include "stream/stream_wrapper.h"
#include "stream/xendian_stream.h"

namespace vtl {

/// Initialises the runtime, registers the stream classes and creates the
/// "incbin", byte-order and "data" factories and the lists' data type.
/// Runs once.
void InitStream();

}  // namespace vtl
