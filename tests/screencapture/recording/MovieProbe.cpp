#include "tests/screencapture/recording/MovieProbe.hpp"

#include "tests/support/ChildProcess.hpp"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace quillet::testing {
namespace {

std::string temporaryPath(const char* stem)
{
    std::string path = std::string("/tmp/") + stem + "-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd >= 0) {
        close(fd);
    }
    return path;
}

std::string readAndRemove(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    std::remove(path.c_str());
    return contents.str();
}

// ffprobe's "key=value" lines, one section after another.
std::string probe(const std::string& path, const std::vector<std::string>& query, std::string& problem)
{
    const std::string output = temporaryPath("quillet-probe");
    std::vector<std::string> command{"ffprobe", "-v", "error", "-of", "default=nw=1", "-o", output};
    command.insert(command.end(), query.begin(), query.end());
    command.push_back(path);
    const auto result = ChildProcess::run(command, ChildProcess::baseEnvironment({}));
    problem = result.exitCode == 0 ? result.standardError
                                   : "exit " + std::to_string(result.exitCode) + ": " + result.standardError;
    return readAndRemove(output);
}

} // namespace

const MovieTrack* Movie::track(const std::string& type) const
{
    for (const MovieTrack& t : tracks) {
        if (t.type == type) {
            return &t;
        }
    }
    return nullptr;
}

double Movie::videoDuration() const
{
    if (videoFrameTimes.size() < 2) {
        return 0;
    }
    // The last frame lasts about as long as the one before it.
    const double last = videoFrameTimes.back();
    return last + (last - videoFrameTimes[videoFrameTimes.size() - 2]);
}

Movie probeMovie(const std::string& path)
{
    Movie movie;
    std::istringstream streams(
        probe(path, {"-show_entries", "stream=codec_type,codec_name,pix_fmt,width,height"}, movie.problem));
    movie.isReadable = movie.problem.empty();
    for (std::string line; std::getline(streams, line);) {
        const auto equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key == "codec_name") {
            movie.tracks.emplace_back().codec = value;
        } else if (movie.tracks.empty()) {
            continue;
        } else if (key == "codec_type") {
            movie.tracks.back().type = value;
        } else if (key == "pix_fmt") {
            movie.tracks.back().pixelFormat = value;
        } else if (key == "width") {
            movie.tracks.back().width = std::atoi(value.c_str());
        } else if (key == "height") {
            movie.tracks.back().height = std::atoi(value.c_str());
        }
    }
    std::string ignored;
    std::istringstream frames(
        probe(path, {"-select_streams", "v", "-show_entries", "packet=pts_time,flags"}, ignored));
    for (std::string line; std::getline(frames, line);) {
        if (line.rfind("pts_time=", 0) == 0) {
            movie.videoFrameTimes.push_back(std::atof(line.c_str() + 9));
        } else if (line.rfind("flags=K", 0) == 0 && !movie.videoFrameTimes.empty()) {
            movie.keyFrameTimes.push_back(movie.videoFrameTimes.back());
        }
    }
    std::istringstream audio(
        probe(path, {"-select_streams", "a", "-show_entries", "packet=pts_time,duration_time"}, ignored));
    double start = -1;
    double pts = 0;
    for (std::string line; std::getline(audio, line);) {
        if (line.rfind("pts_time=", 0) == 0) {
            pts = std::atof(line.c_str() + 9);
            start = start < 0 ? pts : start;
            movie.audioStart = start;
        } else if (line.rfind("duration_time=", 0) == 0) {
            movie.audioDuration = pts + std::atof(line.c_str() + 14) - start;
        }
    }
    return movie;
}

int countBoxes(const std::string& path, const char* type)
{
    std::ifstream in(path, std::ios::binary);
    int count = 0;
    for (unsigned char header[8]; in.read(reinterpret_cast<char*>(header), 8);) {
        const std::uint32_t size =
            std::uint32_t(header[0]) << 24 | header[1] << 16 | header[2] << 8 | header[3];
        if (size < 8) {
            break; // 64-bit or to-the-end sizes: the movie's own boxes never use them
        }
        count += std::string(reinterpret_cast<char*>(header) + 4, 4) == type;
        in.seekg(size - 8, std::ios::cur);
    }
    return count;
}

std::vector<QImage> decodeFrames(const std::string& path, int width, int height)
{
    const std::string output = temporaryPath("quillet-frames");
    ChildProcess::run({"ffmpeg", "-v", "error", "-y", "-i", path, "-map", "0:v", "-fps_mode", "passthrough",
                       "-f", "rawvideo", "-pix_fmt", "rgb24", output},
                      ChildProcess::baseEnvironment({}));
    const std::string pixels = readAndRemove(output);
    const std::size_t frameSize = std::size_t(width) * std::size_t(height) * 3;
    std::vector<QImage> frames;
    for (std::size_t offset = 0; frameSize > 0 && offset + frameSize <= pixels.size(); offset += frameSize) {
        QImage frame(reinterpret_cast<const uchar*>(pixels.data() + offset), width, height, width * 3,
                     QImage::Format_RGB888);
        frames.push_back(frame.copy());
    }
    return frames;
}

std::vector<float> decodeSound(const std::string& path)
{
    const std::string output = temporaryPath("quillet-sound");
    ChildProcess::run({"ffmpeg", "-v", "error", "-y", "-i", path, "-map", "0:a", "-ac", "1", "-ar", "48000",
                       "-f", "f32le", output},
                      ChildProcess::baseEnvironment({}));
    const std::string bytes = readAndRemove(output);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

double meanVolume(const std::string& path)
{
    const auto result = ChildProcess::run(
        {"ffmpeg", "-hide_banner", "-i", path, "-map", "0:a", "-af", "volumedetect", "-f", "null", "-"},
        ChildProcess::baseEnvironment({}));
    std::smatch match;
    if (!std::regex_search(result.standardError, match, std::regex("mean_volume: (-?[0-9.]+) dB"))) {
        return -100;
    }
    return std::stod(match[1]);
}

} // namespace quillet::testing
