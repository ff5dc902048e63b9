// The parse half of the floor under a crawl: gumbo alone parsing HTML files, on as many
// threads as asked. bench/real_site.sh (FLOOR=on) runs it at the same time as curl fetching
// every address the program asked for once, so that the two overlap as a crawl's fetches
// and parses do; no crawl of the site on this machine can take less time than both.
//
//   build/bench_parse_floor [--threads N] FILE...     (2 threads by default)

#include <gumbo.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    int threads = 2;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc)
            threads = std::max(1, std::atoi(argv[++i]));
        else
            files.emplace_back(argv[i]);
    }
    const auto started = std::chrono::steady_clock::now();
    std::atomic<size_t> next{0};
    std::atomic<size_t> bytes{0};
    std::atomic<size_t> unread{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (size_t at = next++; at < files.size(); at = next++) {
                std::ifstream in(files[at], std::ios::binary);
                if (!in) {
                    ++unread;
                    continue;
                }
                const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
                gumbo_destroy_output(&kGumboDefaultOptions, output);
                bytes += html.size();
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "parsed %zu files, %zu bytes, on %d threads in %.3f s; %zu unreadable\n",
                 files.size() - unread, size_t(bytes), threads, seconds, size_t(unread));
    return unread == 0 ? 0 : 1;
}
