#pragma once

#include <string>

extern "C" {
#include <libavutil/error.h>
}

namespace quillet::screencapture {

// FFmpeg's text for an error code (its own macro does not compile as C++).
[[nodiscard]] inline std::string mediaError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

} // namespace quillet::screencapture
