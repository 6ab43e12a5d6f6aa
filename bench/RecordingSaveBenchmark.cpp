// What a user waits for after stopping a recording: the movie copied into a streamable MP4 and its
// first frame for the card, for a 10-second 3840 × 2160 recording, against the ffmpeg program doing
// the same copy and a one-frame thumbnail, in the same run. The movie is made once by ffmpeg as the
// capture tool writes it (H.264 ultrafast, fragmented QuickTime).
#include "Quillet/recording/MovieExport.hpp"
#include "Quillet/recording/VideoFrame.hpp"

#include "bench/BenchmarkRatio.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int thumbnailPixels = 440;

struct Fixture {
    QTemporaryDir folder;
    QString movie;
    bool isReady = false;

    Fixture()
    {
        movie = folder.filePath("recording.mov");
        const QString command =
            QStringLiteral("ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=3840x2160:rate=30 "
                           "-t 10 -c:v libx264 -preset ultrafast -crf 20 -pix_fmt yuv420p -g 30 "
                           "-movflags +frag_keyframe+empty_moov '%1'")
                .arg(movie);
        isReady = std::system(command.toLocal8Bit().constData()) == 0 && QFile::exists(movie);
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

void ffmpegSave(const QString& movie, const QString& mp4, const QString& thumbnail)
{
    const QString command =
        QStringLiteral("ffmpeg -nostdin -loglevel error -y -i '%1' -c copy -movflags +faststart '%2' && "
                       "ffmpeg -nostdin -loglevel error -y -i '%2' -frames:v 1 "
                       "-vf scale=w=%4:h=%4:force_original_aspect_ratio=decrease '%3'")
            .arg(movie, mp4, thumbnail)
            .arg(thumbnailPixels);
    if (std::system(command.toLocal8Bit().constData()) != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
    }
    QFile::remove(mp4);
}

void quilletSave(const QString& movie, const QString& mp4)
{
    if (quillet::MovieExport::toMP4(movie, mp4).status != quillet::AtomicFileWriter::Status::written ||
        !quillet::VideoFrame::first(mp4, thumbnailPixels)) {
        std::fprintf(stderr, "the export failed\n");
    }
    QFile::remove(mp4);
}

void StopToFileAndFrame(benchmark::State& state)
{
    Fixture& movie = fixture();
    if (!movie.isReady) {
        state.SkipWithError("ffmpeg could not make the 4K movie");
        return;
    }
    const QString mp4 = movie.folder.filePath("Screen Recording.mp4");
    const QString thumbnail = movie.folder.filePath("thumbnail.png");
    quillet::bench::measureAgainst(
        state, [&] { ffmpegSave(movie.movie, mp4, thumbnail); }, [&] { quilletSave(movie.movie, mp4); });
    state.counters["movie_MB"] = double(QFileInfo(movie.movie).size()) / (1 << 20);
}
BENCHMARK(StopToFileAndFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    quillet::bench::RatioReporter reporter(
        quillet::bench::RatioName::function, [](const std::string& name, double ratio) {
            std::printf("%s: %.2f x ffmpeg (copy + one-frame thumbnail)\n", name.c_str(), ratio);
        });
    return quillet::bench::runBenchmarks(argc, argv, &reporter);
}
