#include "tools/screencapture/recording/VideoRecording.hpp"

#include "core/ScreenCaptureArguments.hpp"
#include "tools/screencapture/recording/AudioRecorder.hpp"
#include "tools/screencapture/recording/CastRecording.hpp"
#include "tools/screencapture/recording/ClickRings.hpp"
#include "tools/screencapture/recording/ClickWatcher.hpp"
#include "tools/screencapture/recording/EncodedStream.hpp"
#include "tools/screencapture/recording/FrameSource.hpp"
#include "tools/screencapture/recording/FrameClock.hpp"
#include "tools/screencapture/recording/FrameQueue.hpp"
#include "tools/screencapture/recording/FrameSchedule.hpp"
#include "tools/screencapture/recording/I420Conversion.hpp"
#include "tools/screencapture/recording/MovieWriter.hpp"
#include "tools/screencapture/recording/StopSignal.hpp"
#include "tools/screencapture/recording/X11FrameSource.hpp"
#include "tools/screencapture/recording/VideoEncoder.hpp"
#include "tools/screencapture/x11/CapturableDisplay.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

namespace quillet::screencapture::VideoRecording {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto framePeriod =
    std::chrono::nanoseconds(std::chrono::seconds(1)) / VideoEncoder::framesPerSecond;

// A grabbed picture on its way to the encoding thread, which converts it and gives the token back,
// so the source may overwrite its pixels.
struct Picture {
    Bitmap pixels;
    Bitmap copy; // the token's own buffer, for a source that keeps too few pictures
    std::int64_t pts = 0;
    bool isKeyFrame = false;
    bool isRepeat = false; // the pixels show what the picture before showed
};

using PictureQueue = FrameQueue<Picture>;

// The encoder's one picture buffer: converted into, handed to the encoder (which copies it) and
// kept, so a held picture is sent again without a conversion or a copy.
class EncoderFrame {
public:
    explicit EncoderFrame(const AVCodecContext& encoder) : frame_(VideoEncoder::makeFrame(encoder)) {}
    ~EncoderFrame() { av_frame_free(&frame_); }
    EncoderFrame(const EncoderFrame&) = delete;
    EncoderFrame& operator=(const EncoderFrame&) = delete;

    [[nodiscard]] AVFrame* get() const { return frame_; }

private:
    AVFrame* frame_;
};

struct FrameCounts {
    std::int64_t taken = 0;
    std::int64_t dropped = 0;             // due while the encoder was still busy with earlier frames
    std::int64_t missed = 0;              // deadlines that passed while a frame was still being taken
    std::optional<Clock::time_point> end; // of the last frame in the movie
};

// What the grabbing thread needs besides the pixels.
struct GrabContext {
    FrameSource& source;
    PictureQueue& queue;
    MovieWriter& writer;
    ClickRings* rings;    // nullptr without -k
    AudioRecorder* audio; // nullptr without sound
    PixelRect area;
    const std::atomic<bool>& isEncoderFailed;
    bool copiesPictures; // the source keeps fewer than the pictures in flight
};

constexpr std::int64_t ticksPerFrame = VideoEncoder::ticksPerSecond / VideoEncoder::framesPerSecond;

// Both are deadlines of one schedule, whole periods apart.
std::int64_t framesBetween(Clock::time_point start, Clock::time_point deadline)
{
    return (deadline - start) / framePeriod;
}

// Key frames, and so the movie's fragments, follow the clock: lost frames must not stretch the part
// of the movie that a killed recording loses.
bool isKeyFrameDue(std::int64_t pts, std::int64_t& lastKeyPts)
{
    if (lastKeyPts >= 0 && pts - lastKeyPts < VideoEncoder::ticksPerKeyFrame) {
        return false;
    }
    lastKeyPts = pts;
    return true;
}

// Tells the program that runs the tool that the movie has its first frame: from here on a stop ends
// it with a playable movie. The program may be gone, and the line with it.
void announceRecording()
{
    std::printf("%.*s\n", int(ScreenCaptureArguments::recordingStartedLine.size()),
                ScreenCaptureArguments::recordingStartedLine.data());
    std::fflush(stdout);
}

// A source that keeps fewer pictures than may be in flight would overwrite one still waiting for its
// conversion, so its pictures wait in the token's own buffer. False when memory is short.
bool keepCopy(Picture& picture)
{
    const Bitmap& pixels = picture.pixels;
    if (picture.copy.width != pixels.width || picture.copy.height != pixels.height) {
        picture.copy = Bitmap::black(pixels.width, pixels.height);
    }
    picture.copy.paste(pixels, 0, 0, 0, 0, PixelRect{0, 0, pixels.width, pixels.height});
    picture.pixels = picture.copy;
    return !picture.pixels.isEmpty();
}

// Runs on the main thread until a stop or a failure; empty on success, else the reason. It only
// reads the screen: converting and encoding run on the encoding thread, so a slow frame there
// costs the grab no deadline.
std::optional<std::string> grabFrames(GrabContext& context, FrameCounts& counts)
{
    std::optional<Clock::time_point> start;
    std::int64_t lastPts = -1;
    std::int64_t lastKeyPts = -1;
    FrameSchedule schedule(Clock::now(), framePeriod);
    while (!StopSignal::isRequested() && !context.isEncoderFailed) {
        const Clock::time_point deadline = schedule.nextDeadline();
        FrameClock::sleepUntil(deadline);
        if (StopSignal::isRequested()) {
            break;
        }
        const Clock::time_point now = Clock::now();
        // Without a free picture the source's oldest kept one is still being converted: reading the
        // screen again would overwrite it. The picture before stays the source's last grab.
        auto picture = context.queue.takeFree();
        if (!picture) {
            ++counts.taken;
            ++counts.dropped;
            counts.missed += schedule.advance(Clock::now());
            continue;
        }
        FrameSource::Grab grabbed = context.source.grab();
        if (grabbed.status == FrameSource::Status::failed) {
            return grabbed.reason;
        }
        if (grabbed.status == FrameSource::Status::ended) {
            break;
        }
        if (!start) {
            if (!context.writer.start()) {
                return std::nullopt; // the writer has the reason
            }
            start = deadline;
            if (context.audio != nullptr) {
                context.audio->setOrigin(deadline);
            }
        }
        // The ring goes under the pointer, as it would on the screen.
        if (context.rings != nullptr) {
            context.rings->draw(grabbed.pixels, context.area, now);
        }
        context.source.drawPointer(grabbed.pixels);
        ++counts.taken;
        // Each frame is stamped with the deadline it was taken for: a frame after an overrun lasts
        // longer instead of speeding up time, and the movie keeps an exact 30 frames a second
        // (ffprobe's r_frame_rate reads 30/1), which a stamp of the wake-up's jitter would spoil.
        lastPts = std::max(lastPts + 1, framesBetween(*start, deadline) * ticksPerFrame);
        picture->pixels = std::move(grabbed.pixels);
        // A held picture is never read: the encoder sends its last frame again.
        if (context.copiesPictures && !grabbed.isRepeat && !keepCopy(*picture)) {
            return "out of memory for the video frames";
        }
        picture->pts = lastPts;
        picture->isKeyFrame = isKeyFrameDue(lastPts, lastKeyPts);
        picture->isRepeat = grabbed.isRepeat;
        context.queue.pushFilled(std::move(*picture));
        if (!counts.end) {
            announceRecording();
        }
        counts.end = deadline + framePeriod;
        counts.missed += schedule.advance(Clock::now());
    }
    return std::nullopt;
}

void convert(const Bitmap& pixels, AVFrame& frame)
{
    // The encoder copies the picture it is sent; should it ever keep a reference instead, this
    // gives the frame a buffer of its own rather than change what the encoder holds.
    av_frame_make_writable(&frame);
    convertToI420(pixels, I420Planes{frame.data[0], frame.data[1], frame.data[2], frame.linesize[0],
                                     frame.linesize[1], frame.linesize[2]});
}

void encodeFrames(PictureQueue& queue, EncodedStream& video, AVFrame& frame, std::atomic<bool>& isFailed)
{
    StopSignal::blockInThisThread();
    bool hasPicture = false;
    while (auto picture = queue.takeFilled()) {
        if (!isFailed && (!picture->isRepeat || !hasPicture)) {
            convert(picture->pixels, frame);
            hasPicture = true;
        }
        // The pixels are in the frame now: the source may take a later picture into them.
        queue.giveBack(*picture);
        frame.pts = picture->pts;
        frame.pict_type = picture->isKeyFrame ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        if (!isFailed && !video.encode(frame)) {
            isFailed = true;
        }
    }
    if (!isFailed && !video.finish()) {
        isFailed = true;
    }
}

// -G names a source the user chose, and a recording without it would be a surprise; -g asks for
// whatever input there is, so without one the picture is still worth having.
std::variant<std::unique_ptr<AudioRecorder>, ExitStatus> startAudio(const Command& command,
                                                                    MovieWriter& writer)
{
    if (!command.usesDefaultMicrophone && !command.microphoneID) {
        return nullptr;
    }
    auto started = AudioRecorder::start(command.microphoneID, writer);
    if (auto* reason = std::get_if<std::string>(&started)) {
        if (command.microphoneID) {
            return reported(ExitStatus::failure, *reason);
        }
        reported(ExitStatus::failure, *reason + "; recording without sound");
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<AudioRecorder>>(started));
}

std::unique_ptr<ClickWatcher> watchClicks(ClickRings& rings)
{
    auto started = ClickWatcher::start(rings);
    if (auto* reason = std::get_if<std::string>(&started)) {
        reported(ExitStatus::failure, *reason);
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<ClickWatcher>>(started));
}

void reportLostFrames(const FrameCounts& counts)
{
    if (counts.dropped == 0 && counts.missed == 0) {
        return;
    }
    reported(ExitStatus::success, std::to_string(counts.dropped + counts.missed) + " of " +
                                      std::to_string(counts.taken + counts.missed) + " frames lost (" +
                                      std::to_string(counts.dropped) + " while the encoder was behind, " +
                                      std::to_string(counts.missed) + " while the screen was being read)");
}

} // namespace

ExitStatus record(const Recording& recording)
{
    // The encoders and the sound server start threads of their own; none of them may take the
    // interrupt that should wake the frame clock's sleep.
    StopSignal::blockInThisThread();
    auto opened =
        VideoEncoder::open(int(evenSize(recording.area.width)), int(evenSize(recording.area.height)));
    if (auto* reason = std::get_if<std::string>(&opened)) {
        return reported(ExitStatus::failure, *reason);
    }
    MovieWriter writer(recording.command.outputPath);
    EncodedStream video(std::get<AVCodecContext*>(opened), writer);
    if (video.failure()) {
        return reported(ExitStatus::failure, *video.failure());
    }
    auto audioStarted = startAudio(recording.command, writer);
    if (auto* status = std::get_if<ExitStatus>(&audioStarted)) {
        return *status;
    }
    const auto audio = std::move(std::get<std::unique_ptr<AudioRecorder>>(audioStarted));
    const EncoderFrame frame(video.encoder());
    if (frame.get() == nullptr) {
        return reported(ExitStatus::failure, "out of memory for the video frames");
    }
    ClickRings rings(recording.pixelsPerPoint);
    const auto clicks = recording.command.showsClicks ? watchClicks(rings) : nullptr;
    PictureQueue queue(std::vector<Picture>(FrameSource::picturesInFlight));
    std::atomic<bool> isEncoderFailed = false;
    std::thread encoder([&] { encodeFrames(queue, video, *frame.get(), isEncoderFailed); });
    GrabContext context{recording.source,
                        queue,
                        writer,
                        clicks ? &rings : nullptr,
                        audio.get(),
                        recording.area,
                        isEncoderFailed,
                        recording.source.keptGrabs() < FrameSource::picturesInFlight};
    FrameCounts counts;
    StopSignal::unblockInThisThread();
    const auto grabFailure = grabFrames(context, counts);
    queue.close();
    if (audio) {
        if (auto problem = audio->finish(counts.end)) {
            reported(ExitStatus::success, *problem);
        }
    }
    encoder.join();
    const auto writeFailure = writer.finish();
    reportLostFrames(counts);
    // The first cause only: a failed file also fails the encoder that writes into it.
    for (const auto* failure : {&grabFailure, &writeFailure, &video.failure()}) {
        if (*failure) {
            return reported(ExitStatus::failure, **failure);
        }
    }
    return ExitStatus::success;
}

ExitStatus run(const Command& command)
{
    // The tool speaks only through its own one-line reports.
    av_log_set_level(AV_LOG_QUIET);
    // A program or server that went away must end the movie through a failed write, not kill the tool.
    std::signal(SIGPIPE, SIG_IGN);
    if (command.cast) {
        return CastRecording::run(command);
    }
    auto opened = openCapturableDisplay();
    if (const auto* status = std::get_if<ExitStatus>(&opened)) {
        return *status;
    }
    const XDisplay& display = *std::get<std::unique_ptr<XDisplay>>(opened);
    const ScreenLayout layout = display.layout();
    // Only what the root window holds can be read; the movie shows that part of the region.
    const PixelRect area = layout.pixelRect(*command.region).intersected(display.rootRect());
    if (area.isEmpty()) {
        return reported(ExitStatus::failure, "the region is not on the screen");
    }
    X11FrameSource source(display, area);
    return record(Recording{source, area, layout.pixelsPerPoint, command});
}

} // namespace quillet::screencapture::VideoRecording
