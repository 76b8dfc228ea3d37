// Leak reports the sanitizer is to leave out of this program's, on top of
// the project's own list (tools/lsan.supp).
//
// libvorbisfile keeps a list of serial numbers while it opens a chained file
// and does not free it when a later link's headers are cut short or damaged:
// a few bytes per such file, lost inside the library where nothing of ours
// can free them. The damage tests and the fuzz targets open such files by
// the hundred. The library is named whole, as its inner functions have no
// symbols to name them by.
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbisfile.so\n"; }
