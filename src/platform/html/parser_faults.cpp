#include "platform/html/parser_faults.h"

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace {

// Where the parse on this thread goes back to when the parser aborts; none outside a parse.
thread_local sigjmp_buf* t_parseFault = nullptr;
struct sigaction g_previousAbort {};

void onAbort(int signal)
{
    if (sigjmp_buf* fault = t_parseFault) {
        t_parseFault = nullptr;
        // The parser is C and aborts from its own code, not from inside the C library, so
        // nothing is left half done but its own tree, which its allocator still holds.
        siglongjmp(*fault, 1);
    }
    // Not the parser's: the abort goes on as it would have.
    sigaction(signal, &g_previousAbort, nullptr);
    raise(signal);
}

void catchParserAborts()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_handler = onAbort;
        sigemptyset(&action.sa_mask);
        sigaction(SIGABRT, &action, &g_previousAbort);
    });
}

} // namespace

GumboOutput* parseWithoutAbort(const GumboOptions& options, QByteArrayView input)
{
    catchParserAborts();
    sigjmp_buf fault;
    if (sigsetjmp(fault, 1) != 0)
        return nullptr;
    t_parseFault = &fault;
    GumboOutput* const output = gumbo_parse_with_options(&options, input.data(), size_t(input.size()));
    t_parseFault = nullptr;
    return output;
}
