// Where qvhost render puts its frames: image files by name (folders made as
// needed), each written whole or not at all, or raw RGBA frames on standard
// output for a video encoder, in frame order whatever order they finish in.
// Standard output then carries frames only: from the start, whatever else the
// process prints (the plug-in, a Lua script's print) goes to standard error.
#pragma once

#include "testhost/images/composition.h"

#include <cstdio>
#include <map>
#include <string>

namespace qvh {

// Raw frames: 8 bits per channel, 16 (unsigned, native byte order, full scale
// 65535) or 32-bit float, by the render's depth; rows top first, RGBA.
void writeRawFrame(std::FILE *out, const Image &image, int depth);

// Makes the folders a file name needs; throws std::runtime_error naming the
// folder when one cannot be made.
void makeParentFolders(const std::string &path);

class FrameOutput {
public:
    // `pattern` is a file name (with a frame placeholder for several frames)
    // or "-" for standard output, which is then taken over: std::runtime_error
    // when that fails.
    FrameOutput(std::string pattern, int depth, bool exrHalf);
    ~FrameOutput();
    FrameOutput(const FrameOutput &) = delete;
    FrameOutput &operator=(const FrameOutput &) = delete;

    bool toStdout() const { return pattern_ == "-"; }
    // Writes frame `index` (its place in the render's order) numbered `frame`;
    // returns the file name, or "-". Throws std::runtime_error on failure.
    std::string write(std::size_t index, long frame, const Image &image);
    // A frame that failed: it leaves no file, but keeps its place in a raw
    // stream as a transparent frame of width × height, so that the video
    // stays in sync.
    void leaveBlank(std::size_t index, int width, int height);
    // A frame that will never come: the frames after it may go out.
    void skip(std::size_t index);

private:
    void flushInOrder();

    std::string pattern_;
    int depth_;
    bool exrHalf_;
    std::FILE *frames_ = nullptr;  // the former standard output, with "-"
    std::size_t nextOut_ = 0;
    std::map<std::size_t, Image> waiting_;  // finished early, for standard output
    std::map<std::size_t, bool> skipped_;
};

} // namespace qvh
