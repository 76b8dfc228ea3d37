// A private header of the stream library: outside the framework's own
// libraries and their test suites this include must fail.
#include "stream/internal/text_codec.h"

int main() { return 0; }
