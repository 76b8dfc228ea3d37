/// \file
/// The runtime core: objects and references, strings, arrays, exceptions,
/// class records, program start and end, random numbers, lists, ordered maps,
/// data statements and the registry chains that modules fill.
#pragma once

#include "runtime/array.h"
#include "runtime/class_record.h"
#include "runtime/data_statements.h"
#include "runtime/data_type.h"
#include "runtime/exceptions.h"
#include "runtime/function.h"
#include "runtime/last_error.h"
#include "runtime/list.h"
#include "runtime/map.h"
#include "runtime/module.h"
#include "runtime/numeric.h"
#include "runtime/object.h"
#include "runtime/program.h"
#include "runtime/random.h"
#include "runtime/registry.h"
#include "runtime/string.h"
#include "runtime/string_ops.h"
#include "runtime/type_tag.h"
#include "runtime/user_data.h"
#include "runtime/value.h"
