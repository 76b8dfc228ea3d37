#include "runtime/last_error.h"

namespace vtl {

namespace {
// Per thread, so that a refusal on a worker never shows up as the main
// thread's reason.
thread_local String last_error_text;
}  // namespace

String LastErrorText() { return last_error_text; }

void SetLastErrorText(const String& text) { last_error_text = text; }

void ClearLastErrorText() { last_error_text = String(); }

}  // namespace vtl
