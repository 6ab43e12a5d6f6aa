#include "tools/screencapture/cli/ArgumentParser.hpp"

#include <charconv>
#include <cstdlib>
#include <optional>

namespace quillet::screencapture::ArgumentParser {
namespace {

// Far beyond any X screen (its coordinates are 16-bit), and small enough that later arithmetic in
// pixels cannot overflow.
constexpr long maximumMagnitude = 1'000'000;
constexpr int regionFieldCount = 4;

struct Flags {
    bool hasRegion = false;
    bool isInteractive = false;
    bool isRecording = false;
    bool hasEndOfOptions = false;
    bool hasFormat = false;
    std::optional<long> castDescriptor;
    std::optional<long> castNode;
    std::optional<Region> castCrop;
    Command command;
};

std::optional<long> decimalInteger(std::string_view text)
{
    // from_chars accepts a leading minus but neither a plus sign nor spaces, which is the notation.
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || next != end || text.empty()) {
        return std::nullopt;
    }
    if (value > maximumMagnitude || value < -maximumMagnitude) {
        return std::nullopt;
    }
    return value;
}

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

UsageError error(std::string message)
{
    return UsageError{std::move(message)};
}

// Reads the value that follows an option; nullopt when there is none.
std::optional<std::string> valueAfter(const std::vector<std::string>& arguments, std::size_t& index)
{
    if (index + 1 >= arguments.size()) {
        return std::nullopt;
    }
    ++index;
    return arguments[index];
}

std::optional<UsageError> readRegion(Flags& flags, const std::vector<std::string>& arguments,
                                     std::size_t& index)
{
    if (flags.hasRegion) {
        return error("-R given more than once");
    }
    const auto text = valueAfter(arguments, index);
    if (!text) {
        return error("-R needs a region x,y,w,h");
    }
    flags.command.region = region(*text);
    if (!flags.command.region) {
        return error("-R: malformed region " + quoted(*text) +
                     " (expected x,y,w,h: integers, width and height above zero)");
    }
    flags.hasRegion = true;
    return std::nullopt;
}

std::optional<UsageError> readFormat(Flags& flags, const std::vector<std::string>& arguments,
                                     std::size_t& index)
{
    if (flags.hasFormat) {
        return error("-t given more than once");
    }
    const auto format = valueAfter(arguments, index);
    if (format == "png") {
        flags.command.stillFormat = StillFormat::png;
    } else if (format == "raw") {
        flags.command.stillFormat = StillFormat::raw;
    } else {
        return error(format ? "-t: unknown format " + quoted(*format) + " (png or raw)"
                            : "-t needs a format");
    }
    flags.hasFormat = true;
    return std::nullopt;
}

// The value of a cast option given once: a number of at least 0.
std::optional<UsageError> readCastNumber(std::optional<long>& target, const std::string& option,
                                         const std::vector<std::string>& arguments, std::size_t& index)
{
    if (target) {
        return error(option + " given more than once");
    }
    const auto text = valueAfter(arguments, index);
    const auto value = text ? decimalInteger(*text) : std::nullopt;
    if (!value || *value < 0) {
        return error(option + " needs a number of 0 or more" + (text ? ", not " + quoted(*text) : ""));
    }
    target = value;
    return std::nullopt;
}

// H.264 in 4:2:0 wants even sizes: an odd one loses its last column or row rather than gaining one
// from outside the area.
std::optional<UsageError> readCrop(Flags& flags, const std::vector<std::string>& arguments, std::size_t& index)
{
    if (flags.castCrop) {
        return error("--crop given more than once");
    }
    const auto text = valueAfter(arguments, index);
    auto crop = text ? region(*text) : std::nullopt;
    if (crop) {
        crop->width &= ~1L;
        crop->height &= ~1L;
    }
    if (!crop || crop->x < 0 || crop->y < 0 || crop->width == 0 || crop->height == 0) {
        return error("--crop needs x,y,w,h in the stream's pixels (x and y 0 or more, w and h 2 or more)" +
                     (text ? ", not " + quoted(*text) : std::string()));
    }
    flags.castCrop = crop;
    return std::nullopt;
}

std::optional<UsageError> readOutputPath(Flags& flags, const std::string& argument)
{
    if (!flags.command.outputPath.empty()) {
        return error("unexpected argument " + quoted(argument) + " (only one output path is taken)");
    }
    if (argument.empty()) {
        return error("the output path is empty");
    }
    flags.command.outputPath = argument;
    return std::nullopt;
}

std::optional<UsageError> readArgument(Flags& flags, const std::vector<std::string>& arguments,
                                       std::size_t& index)
{
    const std::string& argument = arguments[index];
    if (flags.hasEndOfOptions || argument.size() < 2 || argument[0] != '-') {
        if (argument == "-") {
            return error("writing to standard output ('-') is not supported");
        }
        return readOutputPath(flags, argument);
    }
    if (argument == "--") {
        flags.hasEndOfOptions = true;
    } else if (argument == "-R") {
        return readRegion(flags, arguments, index);
    } else if (argument == "-t") {
        return readFormat(flags, arguments, index);
    } else if (argument == "-i") {
        flags.isInteractive = true;
    } else if (argument == "-x") {
        flags.command.isSilent = true;
    } else if (argument == "-v") {
        flags.isRecording = true;
    } else if (argument == "-k") {
        flags.command.showsClicks = true;
    } else if (argument == "-g") {
        flags.command.usesDefaultMicrophone = true;
    } else if (argument == "--pipewire-fd") {
        return readCastNumber(flags.castDescriptor, argument, arguments, index);
    } else if (argument == "--pipewire-node") {
        return readCastNumber(flags.castNode, argument, arguments, index);
    } else if (argument == "--crop") {
        return readCrop(flags, arguments, index);
    } else if (argument == "-G") {
        flags.command.microphoneID = valueAfter(arguments, index);
        if (!flags.command.microphoneID) {
            return error("-G needs a microphone id");
        }
    } else {
        return error("unknown option " + quoted(argument) + " (see --help)");
    }
    return std::nullopt;
}

std::optional<UsageError> checkRecordingOptions(const Flags& flags)
{
    const Command& command = flags.command;
    if (flags.isRecording) {
        if (flags.hasFormat) {
            return error("-t is only valid for stills");
        }
        if (command.usesDefaultMicrophone && command.microphoneID) {
            return error("-g and -G cannot be used together");
        }
        if (!flags.hasRegion && !flags.command.cast) {
            return error("-v needs -R x,y,w,h or --pipewire-fd");
        }
        return std::nullopt;
    }
    if (flags.command.cast) {
        return error("--pipewire-fd is only valid with -v");
    }
    if (command.showsClicks) {
        return error("-k is only valid with -v");
    }
    if (command.usesDefaultMicrophone) {
        return error("-g is only valid with -v");
    }
    if (command.microphoneID) {
        return error("-G is only valid with -v");
    }
    return std::nullopt;
}

// The cast's options come as a whole, and replace -R.
std::optional<UsageError> readCast(Flags& flags)
{
    if (!flags.castDescriptor && !flags.castNode && !flags.castCrop) {
        return std::nullopt;
    }
    if (!flags.castDescriptor) {
        return error(flags.castNode ? "--pipewire-node needs --pipewire-fd" : "--crop needs --pipewire-fd");
    }
    if (!flags.castNode) {
        return error("--pipewire-fd needs --pipewire-node");
    }
    if (flags.hasRegion) {
        return error("-R and --pipewire-fd cannot be used together");
    }
    flags.command.cast = CastSource{int(*flags.castDescriptor), std::uint32_t(*flags.castNode), flags.castCrop};
    return std::nullopt;
}

std::optional<UsageError> checkMode(Flags& flags)
{
    if (auto castError = readCast(flags)) {
        return castError;
    }
    if (flags.isInteractive && (flags.hasRegion || flags.isRecording)) {
        return error(flags.hasRegion ? "-i and -R cannot be used together"
                                     : "-i and -v cannot be used together");
    }
    if (auto recordingError = checkRecordingOptions(flags)) {
        return recordingError;
    }
    if (!flags.isInteractive && !flags.hasRegion && !flags.command.cast) {
        return error("no capture mode: give -R x,y,w,h or -i");
    }
    if (flags.isRecording) {
        flags.command.mode = CaptureMode::recording;
    } else {
        flags.command.mode = flags.isInteractive ? CaptureMode::interactive : CaptureMode::region;
    }
    if (flags.command.outputPath.empty()) {
        return error("missing output path");
    }
    return std::nullopt;
}

bool asksForHelp(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            return false;
        }
        if (argument == "--help" || argument == "-h") {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<Region> region(std::string_view text)
{
    long fields[regionFieldCount] = {};
    for (int i = 0; i < regionFieldCount; ++i) {
        const bool isLast = i == regionFieldCount - 1;
        const std::size_t comma = text.find(',');
        if (isLast != (comma == std::string_view::npos)) {
            return std::nullopt;
        }
        const auto value = decimalInteger(text.substr(0, comma));
        if (!value) {
            return std::nullopt;
        }
        fields[i] = *value;
        text.remove_prefix(isLast ? text.size() : comma + 1);
    }
    if (fields[2] <= 0 || fields[3] <= 0) {
        return std::nullopt;
    }
    return Region{fields[0], fields[1], fields[2], fields[3]};
}

ParseResult parse(const std::vector<std::string>& arguments)
{
    if (asksForHelp(arguments)) {
        return HelpRequest{};
    }
    Flags flags;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        if (auto problem = readArgument(flags, arguments, index)) {
            return *problem;
        }
    }
    if (auto problem = checkMode(flags)) {
        return *problem;
    }
    return flags.command;
}

std::string_view usage()
{
    return "usage: quillet-screencapture [-x] [-t png|raw] -R x,y,w,h file.png\n"
           "       quillet-screencapture [-x] [-t png|raw] -i file.png\n"
           "       quillet-screencapture -v [-x] -R x,y,w,h [-k] [-g | -G source] file.mov\n"
           "       quillet-screencapture -v [-x] --pipewire-fd N --pipewire-node ID [--crop x,y,w,h]\n"
           "                             [-g | -G source] file.mov\n"
           "\n"
           "  -R x,y,w,h  capture that rectangle, in points from the top-left corner of the main\n"
           "              screen, y down; negative values reach screens to the left or above\n"
           "  -i          pick interactively: drag an area; Space toggles window picking (click a\n"
           "              window); Escape or a right click cancels and writes no file\n"
           "  -x          silent (no sound)\n"
           "  -t format   a still's format: png (the default) or raw, the uncompressed pixels\n"
           "              Quillet reads (a 32-byte header, then B, G, R, A bytes a pixel)\n"
           "  -v          record a movie of the -R rectangle until interrupted (SIGINT or SIGTERM)\n"
           "  -k          with -v: draw a ring at every mouse click\n"
           "  -g          with -v: record sound from the default audio input\n"
           "  -G source   with -v: record sound from that PulseAudio source (its name)\n"
           "  --pipewire-fd N      with -v, instead of -R: record a screen cast (Wayland) through\n"
           "                       this inherited connection to PipeWire, such as the desktop\n"
           "                       portal's OpenPipeWireRemote gives; the movie ends also when the\n"
           "                       cast does; -k is ignored (Wayland gives no global clicks)\n"
           "  --pipewire-node ID   the cast's stream, by its PipeWire node id\n"
           "  --crop x,y,w,h       record only that area of the stream, in its pixels from its\n"
           "                       top-left corner (odd sizes lose their last column or row)\n"
           "  --help      show this text\n"
           "\n"
           "The PNG is written at full pixel resolution (points x Xft.dpi/96), with a resolution of\n"
           "72 dpi per pixel-per-point, readable by the owner only. The movie is H.264 (and AAC) in a\n"
           "fragmented QuickTime file at full pixel resolution, 30 frames a second; a killed recording\n"
           "stays playable up to its last second. Stopped before the first frame, it writes no file.\n"
           "A cast that sends no frame within 5 s, or only GPU buffers, fails and writes no file.\n"
           "Exit status: 0 done (also a cancelled pick, which writes no file), 1 the capture or the\n"
           "file failed, 2 bad arguments, 3 no X11 display.\n";
}

} // namespace quillet::screencapture::ArgumentParser
