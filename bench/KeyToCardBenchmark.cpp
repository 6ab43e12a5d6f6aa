// The program as a user meets it, black-box: started with a fresh home on the benchmark's X server,
// its shortcuts pressed with xdotool. Times from the server's key event (an XInput 2 raw event) to
// the card or the picker being mapped, and to the complete WebP appearing in the folder (polled as a
// user's script would), median of 11. Baselines in the same run: a bare X client that maps a window
// for a key it grabbed (the floor), and `cwebp -q 90 -m 4 -sharp_yuv`'s own encode time of the same
// screen. Needs an X server with a tray: run bench/key-to-card.sh.
#include "bench/XEventWatch.hpp"
#include "tests/support/ChildProcess.hpp"
#include "tests/support/OtherXClient.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using quillet::bench::XEventWatch;
using quillet::testing::ChildProcess;
namespace fs = std::filesystem;

constexpr std::uint16_t superShift = 0x41; // Mod4 | Shift
constexpr std::uint32_t keySym3 = '3';
constexpr std::uint32_t keySym4 = '4';
constexpr std::uint32_t keySym8 = '8';
constexpr auto eventLimit = 15s;
constexpr auto fileLimit = 30s;
// What a user's script waits between looks at the folder.
constexpr auto filePollInterval = 5ms;
// Start-up work (tray icon, folder checks) is over long before a user's first key press.
constexpr auto afterStart = 700ms;
constexpr double cardTargetMs = 100;
constexpr int runs = 11;

double msBetween(XEventWatch::Clock::time_point from, XEventWatch::Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string binaryFolder()
{
    const char* folder = std::getenv("QUILLET_BIN_DIR");
    return folder ? folder : "bin";
}

void xdotool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess::run(command, ChildProcess::baseEnvironment(std::getenv("DISPLAY")));
}

// The program with a home of its own, ready once it holds its shortcuts.
class Program {
public:
    explicit Program(std::uint8_t keyCode)
    {
        char stem[] = "/tmp/quillet-key-bench-XXXXXX";
        home_ = ::mkdtemp(stem) ? stem : "";
        fs::create_directories(home_ / "run");
        fs::permissions(home_ / "run", fs::perms::owner_all);
        auto environment = ChildProcess::homeEnvironment(std::getenv("DISPLAY"), home_);
        environment["XDG_RUNTIME_DIR"] = home_ / "run";
        process_ = std::make_unique<ChildProcess>(std::vector<std::string>{binaryFolder() + "/quillet"},
                                                  environment);
        quillet::testing::OtherXClient other;
        const auto end = std::chrono::steady_clock::now() + eventLimit;
        while (other.grabbable(keyCode, {superShift}) != 0 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(20ms);
        }
        ready_ = other.grabbable(keyCode, {superShift}) == 0;
        std::this_thread::sleep_for(afterStart);
    }
    ~Program()
    {
        process_->signal(SIGTERM);
        process_->wait(10s);
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    [[nodiscard]] bool isReady() const { return ready_; }
    // What the program said, for a benchmark that has to give up on it.
    [[nodiscard]] std::string output() const { return process_->standardErrorSoFar(); }

    // The first complete still in the capture folder.
    [[nodiscard]] std::optional<fs::path> still() const
    {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(home_ / "Screenshots", error)) {
            if (entry.path().extension() == ".webp") {
                return entry.path();
            }
        }
        return std::nullopt;
    }

private:
    fs::path home_;
    std::unique_ptr<ChildProcess> process_;
    bool ready_ = false;
};

// The floor: a client that does nothing but map a window when its key comes, and unmap it at the next.
class BareWindowClient {
public:
    explicit BareWindowClient(std::uint8_t keyCode) : connection_(xcb_connect(nullptr, nullptr))
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        const std::uint32_t values[] = {screen->white_pixel, 1};
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_grab_key(connection_, 1, screen->root, superShift, keyCode, XCB_GRAB_MODE_ASYNC,
                     XCB_GRAB_MODE_ASYNC);
        xcb_flush(connection_);
        thread_ = std::thread([this] { serve(); });
    }
    ~BareWindowClient()
    {
        stop_ = true;
        thread_.join();
        xcb_disconnect(connection_);
    }
    BareWindowClient(const BareWindowClient&) = delete;
    BareWindowClient& operator=(const BareWindowClient&) = delete;

private:
    void serve()
    {
        bool shown = false;
        while (!stop_) {
            pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
            ::poll(&descriptor, 1, 50);
            while (auto* event = xcb_poll_for_event(connection_)) {
                if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
                    shown = !shown;
                    shown ? xcb_map_window(connection_, window_) : xcb_unmap_window(connection_, window_);
                    xcb_flush(connection_);
                }
                std::free(event);
            }
        }
    }

    xcb_connection_t* connection_;
    xcb_window_t window_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_ = false;
};

struct PressAndMap {
    XEventWatch::Clock::time_point pressed;
    XEventWatch::Seen shown;
    [[nodiscard]] double ms() const { return msBetween(pressed, shown.at); }
};

// Key press to map, for the key typed with Shift+Super; nothing when either never came.
std::optional<PressAndMap> pressToMap(XEventWatch& watch, std::uint8_t code, const char* key)
{
    watch.drain();
    std::thread press([key] { xdotool({"key", std::string("super+shift+") + key}); });
    const auto pressed = watch.keyPress(code, eventLimit);
    const auto shown = pressed ? watch.mapped(eventLimit) : std::nullopt;
    press.join();
    if (!shown) {
        return std::nullopt;
    }
    return PressAndMap{pressed->at, *shown};
}

// cwebp's own report of its encode, in milliseconds.
std::optional<double> cwebpEncodeMs(const fs::path& png, const fs::path& output)
{
    const auto result = ChildProcess::run(
        {"cwebp", "-q", "90", "-m", "4", "-sharp_yuv", "-v", png.string(), "-o", output.string()},
        ChildProcess::baseEnvironment(std::getenv("DISPLAY")), {}, 60s);
    std::smatch found;
    if (!std::regex_search(result.standardError, found, std::regex(R"(Time to encode picture: ([0-9.]+)s)"))) {
        return std::nullopt;
    }
    return std::stod(found[1].str()) * 1e3;
}

// The screen's pixels as the capture tool grabs them, for cwebp.
fs::path screenAsPng(const fs::path& folder)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::string region = "0,0," + std::to_string(screen->width_in_pixels) + "," +
                               std::to_string(screen->height_in_pixels);
    xcb_disconnect(connection);
    const fs::path png = folder / "screen.png";
    ChildProcess::run({binaryFolder() + "/quillet-screencapture", "-R", region, png.string()},
                      ChildProcess::baseEnvironment(std::getenv("DISPLAY")));
    return png;
}

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one;
    std::string five;
    std::string fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

void printRow(const char* what, const std::vector<double>& values)
{
    if (values.empty()) {
        std::printf("  %-34s (none)\n", what);
        return;
    }
    std::printf("  %-34s %7.1f  (%.1f .. %.1f)\n", what, median(values),
                *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()));
}

// Shift+Super+3 on a program started for each press, so that every press finds no card on screen
// (a card on screen is hidden for the grab and shown again, which is no news to the user).
void keyToStill(benchmark::State& state)
{
    XEventWatch watch;
    if (!watch.isReady()) {
        state.SkipWithError("no X server with XInput 2");
        return;
    }
    const std::uint8_t code3 = watch.keyCode(keySym3);
    const std::uint8_t code8 = watch.keyCode(keySym8);
    char stem[] = "/tmp/quillet-cwebp-XXXXXX";
    const fs::path scratch = ::mkdtemp(stem) ? stem : "/tmp";
    const fs::path png = screenAsPng(scratch);
    BareWindowClient floorClient(code8);
    std::vector<double> card;
    std::vector<double> file;
    std::vector<double> floor;
    std::vector<double> cwebp;
    const std::string loadBefore = loadAverage();
    for (auto _ : state) {
        if (const auto bare = pressToMap(watch, code8, "8")) {
            floor.push_back(bare->ms());
            xdotool({"key", "super+shift+8"}); // takes it down again
        }
        Program program(code3);
        if (!program.isReady()) {
            std::fprintf(stderr, "press %zu: the program said:\n%s\n", card.size() + 1, program.output().c_str());
            state.SkipWithError("the program never registered its shortcuts");
            return;
        }
        const auto shown = pressToMap(watch, code3, "3");
        if (!shown) {
            state.SkipWithError("no card was mapped");
            return;
        }
        card.push_back(shown->ms());
        state.SetIterationTime(shown->ms() / 1e3);
        const auto end = shown->pressed + fileLimit;
        std::optional<fs::path> still;
        while (!(still = program.still()) && XEventWatch::Clock::now() < end) {
            std::this_thread::sleep_for(filePollInterval);
        }
        if (!still) {
            state.SkipWithError("no still was saved");
            return;
        }
        file.push_back(msBetween(shown->pressed, XEventWatch::Clock::now()));
        if (const auto encode = cwebpEncodeMs(png, scratch / "cwebp.webp")) {
            cwebp.push_back(*encode);
        }
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    std::printf("\nkey -> still, median of %zu (ms; load before %s, after %s)\n", card.size(),
                loadBefore.c_str(), loadAverage().c_str());
    printRow("key -> bare client's window", floor);
    printRow("key -> \"Saving...\" card mapped", card);
    printRow("key -> complete WebP in the folder", file);
    printRow("cwebp -q 90 -m 4 -sharp_yuv encode", cwebp);
    std::printf("  card %.2f x the bare window, %s the %.0f ms aim; file %.2f x cwebp's encode (aim <= 1.0)\n",
                median(card) / std::max(1.0, median(floor)), median(card) <= cardTargetMs ? "within" : "OVER",
                cardTargetMs, median(file) / std::max(1.0, median(cwebp)));
}

// Shift+Super+4 until the picker is mapped, then Escape; one program for every press.
void keyToPicker(benchmark::State& state)
{
    XEventWatch watch;
    if (!watch.isReady()) {
        state.SkipWithError("no X server with XInput 2");
        return;
    }
    const std::uint8_t code4 = watch.keyCode(keySym4);
    const std::uint8_t code8 = watch.keyCode(keySym8);
    BareWindowClient floorClient(code8);
    Program program(code4);
    if (!program.isReady()) {
        state.SkipWithError("the program never registered its shortcuts");
        return;
    }
    std::vector<double> picker;
    std::vector<double> floor;
    const std::string loadBefore = loadAverage();
    for (auto _ : state) {
        if (const auto bare = pressToMap(watch, code8, "8")) {
            floor.push_back(bare->ms());
            xdotool({"key", "super+shift+8"});
        }
        const auto shown = pressToMap(watch, code4, "4");
        if (!shown) {
            state.SkipWithError("no picker was mapped");
            return;
        }
        picker.push_back(shown->ms());
        state.SetIterationTime(shown->ms() / 1e3);
        // The picker takes the keyboard a moment after it shows: Escape until it goes.
        std::optional<XEventWatch::Seen> gone;
        for (int attempt = 0; attempt < 20 && !gone; ++attempt) {
            xdotool({"key", "Escape"});
            gone = watch.unmapped(shown->shown.window, 500ms);
        }
        std::this_thread::sleep_for(300ms); // the tool's exit and the program's clean-up
    }
    std::printf("\nkey -> picker, median of %zu (ms; load before %s, after %s)\n", picker.size(),
                loadBefore.c_str(), loadAverage().c_str());
    printRow("key -> bare client's window", floor);
    printRow("key -> picker mapped", picker);
    std::printf("  picker %.2f x the bare window, %s the %.0f ms aim\n",
                median(picker) / std::max(1.0, median(floor)),
                median(picker) <= cardTargetMs ? "within" : "OVER", cardTargetMs);
}

BENCHMARK(keyToStill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(runs);
BENCHMARK(keyToPicker)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(runs);

} // namespace

BENCHMARK_MAIN();
