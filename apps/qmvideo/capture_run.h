// The capture command: opens a stream with one of its formats, runs it,
// keeps a few reads waiting, and reports (and writes) every frame.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "apps/qmvideo/format_text.h"
#include "apps/qmvideo/video_session.h"

namespace qm::qmvideo {

struct CaptureOptions {
    ULONG stream = 0;
    ULONG format = 0;          // index into the stream's published formats
    ULONG framesPerSecond = 30;
    ULONG frames = 10;            // 0: until the frame sink says stop
    std::string outputDirectory;  // empty: the frames are only counted
    bool reportEveryFrame = true; // a line per frame; else only the start and the summary
    bool masterClock = false;
    bool whiteBalance = false;    // turn the driver's automatic white balance on
    ULONG readsInFlight = 4;
    // Longer than the driver's own 5 s read time-out; reads that keep coming
    // back empty count against it too.
    ULONG frameTimeLimitMs = 15000;
};

struct CaptureReport {
    ULONG frames = 0;       // reads that came back with a frame
    ULONG emptyReads = 0;   // reads that came back without one
    LONGLONG dropped = 0;   // the driver's drop count at the last frame
    double seconds = 0;
};

// Gets every frame after it was reported; false stops the capture.
using FrameSink = std::function<bool(const CompletedRead& read, const VideoFormat& format)>;

// Exit codes as the tool returns them.
int runCapture(VideoSession& session, const CaptureOptions& options, std::FILE* out, std::FILE* err,
               CaptureReport* report = nullptr, const FrameSink& sink = {});

}  // namespace qm::qmvideo
