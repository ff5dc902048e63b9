// jemalloc reads its settings from this symbol when the program starts.
//
// One arena, not four for each core. The event loop's thread fills a page's buffers and a
// worker parses and frees them, and the other way round for a page's reading. A freed block
// goes back to the arena it came from, so with an arena for each thread neither reuses what
// the other freed, and each touches fresh pages of its own: a fifth more page faults in a
// search. The threads' own caches keep them from waiting on the one arena.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "narenas:1";
}
