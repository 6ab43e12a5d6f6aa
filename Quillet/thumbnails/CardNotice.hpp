#pragma once

#include <QString>

namespace quillet {

// What a card says over its image for a moment after an action on it.
enum class CardNotice {
    copied,      // the capture is on the clipboard
    readingText, // its text is being read; shown until the outcome replaces it
    textCopied,  // its text is on the clipboard
    noText,      // it holds no text
    textFailed,  // its text could not be read (the log says why)
};

// The words shown, translated.
[[nodiscard]] QString caption(CardNotice notice);
// Whether it stays until the next notice rather than going by itself.
[[nodiscard]] constexpr bool lastsUntilReplaced(CardNotice notice)
{
    return notice == CardNotice::readingText;
}

} // namespace quillet
