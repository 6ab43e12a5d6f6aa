#pragma once

#include <QImage>

#include <string>
#include <vector>

namespace quillet::testing {

// What independent tools (ffprobe, ffmpeg) read in a movie file.
struct MovieTrack {
    std::string type; // "video", "audio"
    std::string codec;
    std::string pixelFormat;
    int width = 0;
    int height = 0;
};

struct Movie {
    bool isReadable = false;
    std::vector<MovieTrack> tracks;
    std::vector<double> videoFrameTimes; // seconds, in decoding order
    std::vector<double> keyFrameTimes;   // the video key frames' times, where fragments begin
    double audioStart = 0;               // seconds, the first sound sample's time
    double audioDuration = 0;            // seconds, from the first sample to the end of the last
    std::string problem;                 // what ffprobe said when it could not read the file

    [[nodiscard]] const MovieTrack* track(const std::string& type) const;
    [[nodiscard]] double videoDuration() const;
};

[[nodiscard]] Movie probeMovie(const std::string& path);

// How many top-level boxes of `type` ("moof": movie fragments) the file holds so far.
[[nodiscard]] int countBoxes(const std::string& path, const char* type);

// Every video frame, decoded by ffmpeg, in the order of `videoFrameTimes`.
[[nodiscard]] std::vector<QImage> decodeFrames(const std::string& path, int width, int height);

// The audio track decoded by ffmpeg to one channel of 48 kHz samples, from its first sample on.
[[nodiscard]] std::vector<float> decodeSound(const std::string& path);

// The audio track's mean volume in dB (ffmpeg's volumedetect); -100 when there is none.
[[nodiscard]] double meanVolume(const std::string& path);

} // namespace quillet::testing
