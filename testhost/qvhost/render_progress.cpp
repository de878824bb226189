#include "testhost/qvhost/render_progress.h"

#include "testhost/os/os.h"

#include <cstdio>
#include <string>

namespace qvh {
namespace {

std::string clock(double seconds)
{
    long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

} // namespace

RenderProgress::RenderProgress(std::size_t total) : total_(total), shown_(total > 1 && os::isTerminal(2)) {}

RenderProgress::~RenderProgress()
{
    interrupt();
}

void RenderProgress::frameDone()
{
    ++done_;
    if (!shown_)
        return;
    double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    double left = elapsed / done_ * (total_ - done_);
    std::fprintf(stderr, "\rrendered %zu/%zu frames (%zu%%), %s elapsed, about %s left   ", done_, total_,
                 done_ * 100 / total_, clock(elapsed).c_str(), clock(left).c_str());
    std::fflush(stderr);
    open_ = true;
}

void RenderProgress::interrupt()
{
    if (open_)
        std::fprintf(stderr, "\n");
    open_ = false;
}

} // namespace qvh
