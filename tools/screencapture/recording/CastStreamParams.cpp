#include "tools/screencapture/recording/CastStreamParams.hpp"

#include <cstdint>
#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

namespace quillet::screencapture::CastStreamParams {
namespace {

constexpr std::uint32_t largestSide = 16384;
// More would be thrown away: the movie has 30 frames a second.
constexpr std::uint32_t fastestWanted = 30;
// Room for the pointer's image (mutter sends up to 384 × 384).
constexpr int cursorSideUsual = 384;
constexpr int cursorSideLargest = 1024;

constexpr int cursorMetaBytes(int side)
{
    return int(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + side * side * 4;
}

const spa_pod* meta(spa_pod_builder& builder, std::uint32_t type, int size)
{
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(type),
        SPA_PARAM_META_size, SPA_POD_Int(size)));
}

} // namespace

const spa_pod* formatsWanted(spa_pod_builder& builder)
{
    const spa_rectangle smallest = SPA_RECTANGLE(1, 1);
    const spa_rectangle largest = SPA_RECTANGLE(largestSide, largestSide);
    const spa_rectangle usual = SPA_RECTANGLE(1920, 1080);
    const spa_fraction noRate = SPA_FRACTION(0, 1);
    const spa_fraction fastest = SPA_FRACTION(1000, 1);
    const spa_fraction slowestWanted = SPA_FRACTION(1, 1);
    const spa_fraction wanted = SPA_FRACTION(fastestWanted, 1);
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
        SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                               SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&usual, &smallest, &largest),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&noRate, &noRate, &fastest),
        SPA_FORMAT_VIDEO_maxFramerate, SPA_POD_CHOICE_RANGE_Fraction(&wanted, &slowestWanted, &wanted)));
}

std::array<const spa_pod*, 4> buffersWanted(spa_pod_builder& builder)
{
    const auto* buffers = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
    const auto* header = meta(builder, SPA_META_Header, sizeof(spa_meta_header));
    const auto* cursor = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
        SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(cursorMetaBytes(cursorSideUsual), cursorMetaBytes(1),
                                 cursorMetaBytes(cursorSideLargest))));
    const auto* crop = meta(builder, SPA_META_VideoCrop, sizeof(spa_meta_region));
    return {buffers, header, cursor, crop};
}

} // namespace quillet::screencapture::CastStreamParams
